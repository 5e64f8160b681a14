#include "StringFuncsModule.h"

#include <cmath>

#include "FailureRecord.h"
#include "VbErrors.h"

namespace Quimbo {

std::string ConvertCodePage(platform::CodePages& codePages, const std::string& text,
                            std::int32_t source, std::int32_t target) {
    const auto converted = codePages.convert(text, static_cast<unsigned>(source),
                                             static_cast<unsigned>(target), '0');
    if (!converted.ok()) throw vbError(VbError::invalidProcedureCall, "ConvertCodePage");
    return converted.value;
}

std::string RandomLetters(platform::Random& random, std::int16_t count) {
    random.reseed();
    std::string letters;
    for (std::int16_t i = 0; i < count; ++i) {
        while (true) {
            auto r = static_cast<int>(std::lround(random.unit() * 122));
            if (r <= 64) r += 50;
            if ((r >= 'A' && r <= 'Z') || (r >= 'a' && r <= 'z')) {
                letters += static_cast<char>(r);
                break;
            }
        }
    }
    return letters;
}

std::string PadPassword(platform::Random& random, const std::string& password) {
    return RandomLetters(random, 7) + password + RandomLetters(random, 11);
}

std::string UnpadPassword(const std::string& line) {
    if (line.size() < 18) throw vbError(VbError::invalidProcedureCall, "UnpadPassword");
    return line.substr(7, line.size() - 18);
}

std::string TrimLineEnds(const std::string& text) {
    std::size_t end = text.size();
    while (end > 0 && (text[end - 1] == '\r' || text[end - 1] == '\n')) --end;
    std::size_t begin = 0;
    while (begin < end && text[begin] == ' ') ++begin;
    while (end > begin && text[end - 1] == ' ') --end;
    return text.substr(begin, end - begin);
}

std::int16_t DigitsToInteger(const std::string& text) {
    std::string digits;
    for (const char c : text) {
        if (c >= '0' && c <= '9') digits += c;
    }
    if (digits.empty()) throw vbError(VbError::typeMismatch, "DigitsToInteger");
    const auto first = digits.find_first_not_of('0');
    if (first != std::string::npos && digits.size() - first > 5)
        throw vbError(VbError::overflow, "DigitsToInteger");
    const long value = std::stol(digits);
    if (value > 32767) throw vbError(VbError::overflow, "DigitsToInteger");
    return static_cast<std::int16_t>(value);
}

}  // namespace Quimbo
