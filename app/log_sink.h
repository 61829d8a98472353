#pragma once
// Where the controller hands every line of both panes besides its view: the log file of the
// program folder. Tests give a fake; a program without one writes no file.
#include <optional>
#include <string>
#include <string_view>

#include "app/main_view.h"

namespace zep {

class LogSink {
public:
    virtual ~LogSink() = default;
    // Takes a line as the pane gets it (colour codes included); never waits for a disk.
    virtual void Add(Pane pane, std::string_view line) = 0;
    // The line to show in the upper pane, once, after the sink has failed to write.
    virtual std::optional<std::string> TakeFailureLine() = 0;
};

}  // namespace zep
