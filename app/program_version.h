#pragma once
// The program's version: the four-part file version the build was made with, and the texts
// shown from it.
#include <string>

namespace zep {

struct FileVersion {
    unsigned major = 0;
    unsigned minor = 0;
    unsigned patch = 0;
    unsigned tweak = 0;
};

// The version of this build (the project version; a missing fourth part is 0).
FileVersion ProgramFileVersion();

// minor.patch.tweak, the patch two digits at least, each part cut to its 16 bits as a file
// version holds them; the major part (the year) is not shown. 2009.1.1.0 gives "1.01.0".
std::string VersionNumberText(const FileVersion& version);

// The about box's version line: "Версия 1.10.0" for file version 2009.1.10.0.
std::string AboutVersionLine(const FileVersion& version);

}  // namespace zep
