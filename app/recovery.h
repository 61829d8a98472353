#pragma once
// What the start does about a run that was killed, under the program folder's lock and before
// any worker runs: its temporary files are removed, and raw files it published without getting
// to record their archives in the import history are recorded now, so that the same archive
// offered again (the device did not get to delete it, the card is still in) is not imported a
// second time.
#include <filesystem>
#include <string>
#include <vector>

#include "core/import_history.h"
#include "platform/dispatch_values.h"

namespace zep {

// The tag of the temporary names of a program folder (platform/publish_file.h): eight
// hexadecimal digits of its path's digest, the same at every start.
std::string TemporaryTagOf(const std::filesystem::path& programFolder);

// Removes the temporaries of this program folder's tag from the program folder, its session
// recordings and the folders the conversion writes to. lines: receives the line saying how many, if
// any.
void RemoveLeftovers(const std::filesystem::path& programFolder, const DispatchValues& values,
                     std::vector<std::string>& lines);

// Records the archives of the raw files in the program folder that the history does not know.
// lines: receives the line saying how many, and what the history says if it cannot store them.
void RecordUnrecordedRawFiles(const std::filesystem::path& programFolder, ImportHistory& history,
                              std::vector<std::string>& lines);

}  // namespace zep
