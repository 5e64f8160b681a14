#include "code_pages.h"

#include <iconv.h>

#include <cerrno>
#include <memory>

#include "errno_map.h"

namespace platform::posix {
namespace {

constexpr unsigned utf8CodePage = 65001;

std::string iconvName(unsigned codePage) {
    switch (codePage) {
    case utf8CodePage: return "UTF-8";
    case 20127: return "ASCII";
    case 28591: return "ISO-8859-1";
    default: return "CP" + std::to_string(codePage);
    }
}

class Converter {
public:
    Converter(const std::string& to, const std::string& from)
        : handle_(::iconv_open(to.c_str(), from.c_str())) {}
    ~Converter() {
        if (valid()) ::iconv_close(handle_);
    }
    Converter(const Converter&) = delete;
    Converter& operator=(const Converter&) = delete;
    bool valid() const { return handle_ != reinterpret_cast<iconv_t>(-1); }

    // Converts all of `input`; false on the first sequence that cannot be converted.
    bool run(const char* input, std::size_t size, std::string& output) {
        ::iconv(handle_, nullptr, nullptr, nullptr, nullptr);
        char* in = const_cast<char*>(input);
        std::size_t inLeft = size;
        while (inLeft > 0) {
            char buffer[1024];
            char* out = buffer;
            std::size_t outLeft = sizeof buffer;
            const std::size_t rc = ::iconv(handle_, &in, &inLeft, &out, &outLeft);
            output.append(buffer, sizeof buffer - outLeft);
            if (rc == static_cast<std::size_t>(-1) && errno != E2BIG) return false;
        }
        return true;
    }

private:
    iconv_t handle_;
};

}  // namespace

unsigned IconvCodePages::ansiCodePage() { return utf8CodePage; }

std::size_t IconvCodePages::lengthOfCharacters(const std::string& text, std::size_t characters) {
    std::size_t counted = 0;
    for (std::size_t at = 0; at < text.size(); ++at) {
        // A UTF-8 character starts at every byte that does not continue one.
        const bool starts = (static_cast<unsigned char>(text[at]) & 0xC0) != 0x80;
        if (starts && counted++ == characters) return at;
    }
    return text.size();
}

Result<std::string> IconvCodePages::convert(const std::string& bytes, unsigned from, unsigned to,
                                            char fallback) {
    Converter decoder("UTF-32LE", iconvName(from));
    Converter encoder(iconvName(to), "UTF-32LE");
    if (!decoder.valid() || !encoder.valid())
        return Result<std::string>::failure(setLastError(winerr::invalidParameter));
    std::string wide;
    if (!decoder.run(bytes.data(), bytes.size(), wide))
        return Result<std::string>::failure(setLastError(winerr::noUnicodeTranslation));
    std::string result;
    for (std::size_t i = 0; i + 4 <= wide.size(); i += 4) {
        std::string encoded;
        if (encoder.run(wide.data() + i, 4, encoded)) result += encoded;
        else result += fallback;
    }
    return {result, winerr::success};
}

}  // namespace platform::posix
