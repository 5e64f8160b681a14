#pragma once
// Win32 side only: COM objects reached by late binding through IDispatch, as a
// script reaches them: by ProgID, member names and VARIANT arguments.
#include <windows.h>
// windows.h first: the OLE headers build on its types.
#include <oaidl.h>

#include <string>
#include <vector>

#include "platform/database_engine.h"

namespace platform::win32 {

// One VARIANT, cleared once when it goes.
class Variant {
public:
    Variant() { ::VariantInit(&value_); }
    Variant(Variant&& other) noexcept : value_(other.value_) { ::VariantInit(&other.value_); }
    Variant& operator=(Variant&& other) noexcept;
    Variant(const Variant&) = delete;
    Variant& operator=(const Variant&) = delete;
    ~Variant() { ::VariantClear(&value_); }

    // A BSTR from text in the code page (CP_ACP for paths, CP_UTF8 for statements).
    static Variant text(const std::string& bytes, UINT codePage = CP_ACP);
    static Variant integer(long number);
    // The value of an optional argument left out.
    static Variant missing();
    // An object argument; the variant holds its own reference.
    static Variant object(IDispatch* object);

    VARIANT& get() { return value_; }
    const VARIANT& get() const { return value_; }
    bool isNull() const { return value_.vt == VT_NULL || value_.vt == VT_EMPTY; }
    // The value converted as a script's CStr converts it (True is "-1"); ANSI.
    std::string toText() const;
    long toInteger() const;
    IDispatch* object() const { return value_.vt == VT_DISPATCH ? value_.pdispVal : nullptr; }

private:
    VARIANT value_;
};

// An IDispatch reference, released once.
class Dispatch {
public:
    Dispatch() = default;
    explicit Dispatch(IDispatch* owned) : object_(owned) {}
    Dispatch(Dispatch&& other) noexcept : object_(other.object_) { other.object_ = nullptr; }
    Dispatch& operator=(Dispatch&& other) noexcept;
    Dispatch(const Dispatch&) = delete;
    Dispatch& operator=(const Dispatch&) = delete;
    ~Dispatch() { reset(); }

    // CreateObject(progId): error 429 when the class is not registered.
    static EngineResult<Dispatch> create(const std::string& progId);
    // An object that a result holds, with a reference of its own.
    static Dispatch from(const Variant& value);

    bool valid() const { return object_ != nullptr; }
    IDispatch* get() const { return object_; }
    void reset();

    // Arguments in the order a script writes them.
    EngineResult<Variant> call(const std::string& member, std::vector<Variant> arguments = {});
    EngineResult<Variant> property(const std::string& member, std::vector<Variant> arguments = {});

private:
    EngineResult<Variant> invoke(const std::string& member, WORD kind,
                                 std::vector<Variant> arguments);

    IDispatch* object_ = nullptr;
};

}  // namespace platform::win32
