#pragma once
#include <cstdint>
#include <string>

namespace Quimbo {

// The collating order of a new database for the system's default locale: the
// first of the first 21 Jet locale strings that holds ";LANGID=0x0" + the
// locale id in upper-case hexadecimal + ";", else the General order.
std::string ChooseCollatingOrder(std::uint32_t localeId);

}  // namespace Quimbo
