#pragma once
#include <string>

#include "platform/error.h"

namespace platform {

// Text encodings by Windows code page number (866, 1251, 65001 …).
class CodePages {
public:
    virtual ~CodePages() = default;
    // The system ANSI code page: every 8-bit text of the programs is in it.
    virtual unsigned ansiCodePage() = 0;
    // Decodes bytes of code page `from` and encodes them into `to`; a character
    // that `to` cannot hold becomes `fallback`.
    virtual Result<std::string> convert(const std::string& bytes, unsigned from, unsigned to,
                                        char fallback) = 0;
    // How many bytes the first `characters` characters of ANSI text take (all
    // of it when it holds fewer): a cut there never splits a character.
    virtual std::size_t lengthOfCharacters(const std::string& text, std::size_t characters) = 0;
};

}  // namespace platform
