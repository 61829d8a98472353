// The start every front end shares, and the texts it shows when the start goes wrong.
#include "app/startup.h"

#include <memory>
#include <string>
#include <utility>
#include <vector>

#include "app/help_request.h"
#include "app/import_history_file.h"
#include "app/log_file.h"
#include "app/main_settings.h"
#include "app/recovery.h"
#include "app/unread_config.h"
#include "app/worker_threads.h"
#include "core/path_text.h"
#include "platform/autostart.h"
#include "platform/dispatch_values.h"
#include "platform/folder_lock.h"
#include "platform/help_viewer.h"
#include "platform/program_path.h"
#include "platform/publish_file.h"
#include "platform/time_base.h"

namespace zep {

std::string FolderInUseText(const std::filesystem::path& folder) {
    return "ZEP Импорт уже запущен с папкой " + PathToUtf8(folder) + ".";
}

std::string FolderNotLockedText(const std::filesystem::path& folder) {
    return "Папку " + PathToUtf8(folder) +
           " не удалось заблокировать: второй запуск ZEP Импорт с этой папкой не будет замечен.";
}

namespace {

// A front end whose help belongs to a window of its own replaces this.
void ShowHelpWithoutOwner(const std::filesystem::path& helpFile) {
    ShowHelpTopic(nullptr, helpFile, kHelpTopic);
}

}  // namespace

int StartProgram(const FrontEnd& frontEnd) {
    if (!FixTimeBase()) {
        frontEnd.showError(kTimeBaseError);
        return 1;
    }
    const auto folder = ProgramFolder();
    // Held until the front end has ended: a second instance would convert the same raw files.
    const auto folderLock = FolderLock::Acquire(folder);
    if (folderLock.GetState() == FolderLock::State::InUse) {
        frontEnd.showError(FolderInUseText(folder));
        return 1;
    }
    std::vector<std::string> startLines;
    if (folderLock.GetState() == FolderLock::State::Unavailable) {
        startLines.push_back("$04" + FolderNotLockedText(folder));
    }
    // Said before the drivers load: a configuration file that was not read explains the lines
    // about missing values that follow.
    DispatchValues values = DispatchValues::Installed();
    for (auto& line : UnreadCarrierLines(values)) {
        startLines.push_back(std::move(line));
    }
    const auto settingsFile = SettingsFileFor(ProgramFile());
    // Made before the parts, so it outlives every line a worker may still post.
    LogFile logFile(folder, DefaultClock());
    // Under the folder lock: no other instance appends to the history meanwhile, and no other
    // writes temporaries of this folder's tag.
    SetTemporaryNameTag(TemporaryTagOf(folder));
    RemoveLeftovers(folder, values, startLines);
    const auto history = ImportHistoryFile::Open(folder, DefaultClock(), startLines);
    RecordUnrecordedRawFiles(folder, *history, startLines);
    RealParts parts = CreateRealParts(g_workerLock, DefaultClock(), folder, *history,
                                      ReadDriverTimeout(settingsFile));
    const auto autostart = CreateSessionAutostart();
    // The autostart entry names the executable itself: the program file in a program folder
    // elsewhere (given, or in the data home) is no program that could be started.
    return frontEnd.run({*parts.subsystems, *parts.drives, *parts.serial, g_workerLock,
                         DefaultClock(), folder, settingsFile, ExecutablePath(), *autostart,
                         std::move(values), ShowHelpWithoutOwner, history.get(),
                         std::move(startLines), &logFile});
}

}  // namespace zep
