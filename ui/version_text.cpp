// The version line of the about box.
#include "ui/version_text.h"

#include <cstdio>

namespace zep {

std::string FormatVersionText(std::uint32_t versionMs, std::uint32_t versionLs) {
    char text[64];
    std::snprintf(text, sizeof text, "Версия %lu.%02lu.%lu",
                  static_cast<unsigned long>(versionMs & 0xFFFFu),
                  static_cast<unsigned long>(versionLs >> 16),
                  static_cast<unsigned long>(versionLs & 0xFFFFu));
    return text;
}

}  // namespace zep
