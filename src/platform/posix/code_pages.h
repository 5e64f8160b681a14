#pragma once
#include "platform/code_pages.h"

namespace platform::posix {

// iconv under Windows code page numbers; the ANSI code page of Linux is UTF-8.
class IconvCodePages final : public CodePages {
public:
    unsigned ansiCodePage() override;
    Result<std::string> convert(const std::string& bytes, unsigned from, unsigned to,
                                char fallback) override;
    std::size_t lengthOfCharacters(const std::string& text, std::size_t characters) override;
};

}  // namespace platform::posix
