#include "CollatingOrders.h"

#include <cstdio>

namespace Quimbo {
namespace {

// Arabic, Czech, Dutch, General, Greek, Hebrew, Hungarian, Icelandic, Nordic,
// Norwegian/Danish, Polish, Cyrillic, Spanish, Swedish/Finnish, Turkish,
// Japanese, Simplified Chinese, Traditional Chinese, Korean, Thai, Slovenian;
// then General once more as the default.
const char* const collatingOrders[] = {
    ";LANGID=0x0401;CP=1256;COUNTRY=0", ";LANGID=0x0405;CP=1250;COUNTRY=0",
    ";LANGID=0x0413;CP=1252;COUNTRY=0", ";LANGID=0x0409;CP=1252;COUNTRY=0",
    ";LANGID=0x0408;CP=1253;COUNTRY=0", ";LANGID=0x040D;CP=1255;COUNTRY=0",
    ";LANGID=0x040E;CP=1250;COUNTRY=0", ";LANGID=0x040F;CP=1252;COUNTRY=0",
    ";LANGID=0x041D;CP=1252;COUNTRY=0", ";LANGID=0x0406;CP=1252;COUNTRY=0",
    ";LANGID=0x0415;CP=1250;COUNTRY=0", ";LANGID=0x0419;CP=1251;COUNTRY=0",
    ";LANGID=0x040A;CP=1252;COUNTRY=0", ";LANGID=0x041D;CP=1252;COUNTRY=0",
    ";LANGID=0x041F;CP=1254;COUNTRY=0", ";LANGID=0x0411;CP=932;COUNTRY=0",
    ";LANGID=0x0804;CP=936;COUNTRY=0",  ";LANGID=0x0404;CP=950;COUNTRY=0",
    ";LANGID=0x0412;CP=949;COUNTRY=0",  ";LANGID=0x041E;CP=874;COUNTRY=0",
    ";LANGID=0x0424;CP=1250;COUNTRY=0", ";LANGID=0x0409;CP=1252;COUNTRY=0",
};
constexpr std::size_t searchedOrders = 21;

}  // namespace

std::string ChooseCollatingOrder(std::uint32_t localeId) {
    char key[32];
    std::snprintf(key, sizeof key, ";LANGID=0x0%X;", static_cast<unsigned>(localeId));
    for (std::size_t i = 0; i < searchedOrders; ++i) {
        if (std::string(collatingOrders[i]).find(key) != std::string::npos)
            return collatingOrders[i];
    }
    return collatingOrders[searchedOrders];
}

}  // namespace Quimbo
