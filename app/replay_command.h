#pragma once
// "zepimport --replay FILE": the recorded session's exchange run again against its recording,
// writing the raw files the session wrote into the program folder (--program-dir), and
// nothing else: no conversion, no drivers, no card import, no settings.
#include <ostream>
#include <string>

namespace zep {

// The exchange's log lines and the outcome go to out. 0 when the replay followed the recording
// to its end and wrote the same raw files; 1 with the first point where the program's requests
// differ from the recording, or when the recording cannot be read or the folder is in use.
int RunReplay(const std::string& file, std::ostream& out, std::ostream& err);

}  // namespace zep
