// Late binding through IDispatch: names resolved per call, arguments passed
// right to left as Invoke wants them, failures turned into the number and
// description a script's Err object would show.
#include "dispatch.h"

#include <oleauto.h>

namespace platform::win32 {
namespace {

std::wstring wide(const std::string& bytes, UINT codePage) {
    if (bytes.empty()) return std::wstring();
    const int size = static_cast<int>(bytes.size());
    const int length = ::MultiByteToWideChar(codePage, 0, bytes.data(), size, nullptr, 0);
    std::wstring text(static_cast<std::size_t>(length), L'\0');
    ::MultiByteToWideChar(codePage, 0, bytes.data(), size, &text[0], length);
    return text;
}

std::string ansi(const wchar_t* text, UINT length) {
    if (!text || length == 0) return std::string();
    const int size = static_cast<int>(length);
    const int bytes = ::WideCharToMultiByte(CP_ACP, 0, text, size, nullptr, 0, nullptr, nullptr);
    std::string result(static_cast<std::size_t>(bytes), '\0');
    ::WideCharToMultiByte(CP_ACP, 0, text, size, &result[0], bytes, nullptr, nullptr);
    return result;
}

std::string ansi(BSTR text) {
    return ansi(text, text ? ::SysStringLen(text) : 0);
}

std::string systemText(HRESULT code) {
    char* buffer = nullptr;
    const DWORD length = ::FormatMessageA(
        FORMAT_MESSAGE_ALLOCATE_BUFFER | FORMAT_MESSAGE_FROM_SYSTEM | FORMAT_MESSAGE_IGNORE_INSERTS,
        nullptr, static_cast<DWORD>(code), 0, reinterpret_cast<char*>(&buffer), 0, nullptr);
    std::string text(buffer ? buffer : "", length);
    if (buffer) ::LocalFree(buffer);
    while (!text.empty() && (text.back() == '\n' || text.back() == '\r'))
        text.pop_back();
    return text.empty() ? "Automation error" : text;
}

// A script sees a control's own errors (facility 10, as DAO raises them) by
// their low word, every other failure by its HRESULT.
std::int32_t scriptNumber(HRESULT code) {
    if (HRESULT_FACILITY(code) == FACILITY_CONTROL) return HRESULT_CODE(code);
    return static_cast<std::int32_t>(code);
}

EngineError failure(HRESULT code, const std::string& description) {
    return EngineError{true, scriptNumber(code),
                       description.empty() ? systemText(code) : description};
}

EngineError fromException(EXCEPINFO& info) {
    if (info.pfnDeferredFillIn) info.pfnDeferredFillIn(&info);
    const HRESULT code = info.scode ? info.scode : MAKE_HRESULT(1, FACILITY_CONTROL, info.wCode);
    EngineError error = failure(code, ansi(info.bstrDescription));
    ::SysFreeString(info.bstrSource);
    ::SysFreeString(info.bstrDescription);
    ::SysFreeString(info.bstrHelpFile);
    return error;
}

}  // namespace

Variant& Variant::operator=(Variant&& other) noexcept {
    if (this != &other) {
        ::VariantClear(&value_);
        value_ = other.value_;
        ::VariantInit(&other.value_);
    }
    return *this;
}

Variant Variant::text(const std::string& bytes, UINT codePage) {
    Variant v;
    const std::wstring text = wide(bytes, codePage);
    v.value_.vt = VT_BSTR;
    v.value_.bstrVal = ::SysAllocStringLen(text.data(), static_cast<UINT>(text.size()));
    return v;
}

Variant Variant::integer(long number) {
    Variant v;
    v.value_.vt = VT_I4;
    v.value_.lVal = number;
    return v;
}

Variant Variant::missing() {
    Variant v;
    v.value_.vt = VT_ERROR;
    v.value_.scode = DISP_E_PARAMNOTFOUND;
    return v;
}

Variant Variant::object(IDispatch* object) {
    Variant v;
    v.value_.vt = VT_DISPATCH;
    v.value_.pdispVal = object;
    if (object) object->AddRef();
    return v;
}

std::string Variant::toText() const {
    if (value_.vt == VT_BSTR) return ansi(value_.bstrVal);
    Variant converted;
    if (FAILED(::VariantChangeType(&converted.value_, const_cast<VARIANT*>(&value_), 0, VT_BSTR)))
        return std::string();
    return ansi(converted.value_.bstrVal);
}

long Variant::toInteger() const {
    Variant converted;
    if (FAILED(::VariantChangeType(&converted.value_, const_cast<VARIANT*>(&value_), 0, VT_I4)))
        return 0;
    return converted.value_.lVal;
}

Dispatch& Dispatch::operator=(Dispatch&& other) noexcept {
    if (this != &other) {
        reset();
        object_ = other.object_;
        other.object_ = nullptr;
    }
    return *this;
}

void Dispatch::reset() {
    if (object_) object_->Release();
    object_ = nullptr;
}

EngineResult<Dispatch> Dispatch::create(const std::string& progId) {
    const std::wstring name = wide(progId, CP_ACP);
    CLSID clsid;
    IDispatch* object = nullptr;
    if (FAILED(::CLSIDFromProgID(name.c_str(), &clsid)) ||
        FAILED(::CoCreateInstance(clsid, nullptr, CLSCTX_INPROC_SERVER | CLSCTX_LOCAL_SERVER,
                                  IID_IDispatch, reinterpret_cast<void**>(&object))))
        return EngineResult<Dispatch>::failure(
            EngineError{true, 429, "ActiveX component can't create object"});
    return {Dispatch(object), {}};
}

Dispatch Dispatch::from(const Variant& value) {
    IDispatch* object = value.object();
    if (object) object->AddRef();
    return Dispatch(object);
}

EngineResult<Variant> Dispatch::call(const std::string& member, std::vector<Variant> arguments) {
    return invoke(member, DISPATCH_METHOD, std::move(arguments));
}

EngineResult<Variant> Dispatch::property(const std::string& member,
                                         std::vector<Variant> arguments) {
    return invoke(member, DISPATCH_PROPERTYGET, std::move(arguments));
}

EngineResult<Variant> Dispatch::invoke(const std::string& member, WORD kind,
                                       std::vector<Variant> arguments) {
    using R = EngineResult<Variant>;
    if (!object_) return R::failure(EngineError{true, 91, "Object variable not set"});
    std::wstring name = wide(member, CP_ACP);
    LPOLESTR names[] = {&name[0]};
    DISPID id = 0;
    HRESULT code = object_->GetIDsOfNames(IID_NULL, names, 1, LOCALE_USER_DEFAULT, &id);
    if (FAILED(code))
        return R::failure(EngineError{true, 438, "Object doesn't support this property or method"});
    // Invoke takes the arguments from the last to the first.
    std::vector<VARIANTARG> reversed;
    for (auto it = arguments.rbegin(); it != arguments.rend(); ++it)
        reversed.push_back(it->get());
    DISPPARAMS parameters{reversed.data(), nullptr, static_cast<UINT>(reversed.size()), 0};
    Variant result;
    EXCEPINFO exception{};
    UINT badArgument = 0;
    code = object_->Invoke(id, IID_NULL, LOCALE_USER_DEFAULT, kind, &parameters, &result.get(),
                           &exception, &badArgument);
    if (code == DISP_E_EXCEPTION) return R::failure(fromException(exception));
    if (FAILED(code)) return R::failure(failure(code, ""));
    return {std::move(result), {}};
}

}  // namespace platform::win32
