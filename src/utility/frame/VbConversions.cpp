#include "VbConversions.h"

#include <cmath>
#include <cstdlib>
#include <limits>

#include "VbErrors.h"

namespace Quimbo {
namespace {

const char* const source = "Conversion";

double wholeNumber(const std::string& text) {
    const auto begin = text.find_first_not_of(' ');
    if (begin == std::string::npos) throw vbError(VbError::typeMismatch, source);
    const std::string number = text.substr(begin, text.find_last_not_of(' ') - begin + 1);
    // strtod alone would also take "inf", "nan" and hexadecimal.
    if (number.find_first_not_of("0123456789+-.eE") != std::string::npos)
        throw vbError(VbError::typeMismatch, source);
    char* stop = nullptr;
    const double value = std::strtod(number.c_str(), &stop);
    if (stop != number.c_str() + number.size()) throw vbError(VbError::typeMismatch, source);
    return std::nearbyint(value);
}

template <class T>
T inRange(double value) {
    if (value < std::numeric_limits<T>::min() || value > std::numeric_limits<T>::max())
        throw vbError(VbError::overflow, source);
    return static_cast<T>(value);
}

}  // namespace

std::int32_t TextToLong(const std::string& text) {
    return inRange<std::int32_t>(wholeNumber(text));
}

std::int16_t TextToInteger(const std::string& text) {
    return inRange<std::int16_t>(wholeNumber(text));
}

}  // namespace Quimbo
