#pragma once
// The help of the program lives in the dispatch system's help file, found through its "Path"
// value: that path with the extension of its file name replaced by ".chm".
#include <optional>
#include <string>

#include "platform/dispatch_values.h"

namespace zep {

inline constexpr const char* kHelpTopic = "::/AdapterDataImport.htm";

// The help file for a "Path" value. The extension is taken from the file name only (after the
// last "/" or "\"), and a name without one gets ".chm" appended.
std::string HelpFileFor(const std::string& pathValue);

// The help file of the installed dispatch system; nullopt when "Path" is missing or empty.
std::optional<std::string> FindHelpFile(const DispatchValues& values);

}  // namespace zep
