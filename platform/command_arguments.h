#pragma once
// The program's arguments as UTF-8, the form of every text inside the program. On Windows the
// C runtime's narrow argv is in the ANSI code page and has already lost every character outside
// it (a folder named in Cyrillic on a Western system arrives as "?????"), so the backend reads
// the wide command line instead.
#include <string>
#include <vector>

namespace zep {

// The arguments after the program's name; argc and argv are main's, taken as they are where
// the system has nothing better.
std::vector<std::string> ProgramArguments(int argc, char** argv);

}  // namespace zep
