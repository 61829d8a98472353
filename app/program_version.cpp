// The program's version from the generated build header, and the texts made from it.
#include "app/program_version.h"

#include <cstdio>

#include "app/build_version.h"

namespace zep {

FileVersion ProgramFileVersion() {
    return {build::kVersionMajor, build::kVersionMinor, build::kVersionPatch, build::kVersionTweak};
}

std::string VersionNumberText(const FileVersion& version) {
    constexpr unsigned kPartMask = 0xFFFF;
    char text[32];
    std::snprintf(text, sizeof text, "%u.%02u.%u", version.minor & kPartMask,
                  version.patch & kPartMask, version.tweak & kPartMask);
    return text;
}

std::string AboutVersionLine(const FileVersion& version) {
    return "Версия " + VersionNumberText(version);
}

}  // namespace zep
