#pragma once
// What every simulated device can be asked to do besides speaking its protocol: when it shows
// its prompt, whether it sends at line rate, and which faults it commits.
#include <cstddef>
#include <cstdint>
#include <functional>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

namespace zep::sim {

// What pacing measures and sleeps on: a monotonic millisecond counter and a pause. Tests give
// one that moves only when slept on.
class PaceClock {
public:
    virtual ~PaceClock() = default;
    virtual std::int64_t TickMs() = 0;
    virtual void SleepMs(int milliseconds) = 0;
};

enum class FaultKind {
    Silence,       // the command is taken in but neither carried out nor answered
    BadCrc,        // the frame's (data) check word is wrong
    BadHeaderCrc,  // Kolvar: the chunk header's check word is wrong
    BadStatus,     // Kolvar: a chunk carries status 1
    Truncate,      // the reply stops after `at` bytes (half of it by default)
    ErrorReply,    // the device's error answer instead of the reply
    MissingKey,    // the reply comes without its key ("Records=", "FILE=" ...)
    Garbage,       // noise bytes before the reply, or before the prompt
    Unplug,        // the line is closed after `at` bytes of the reply (half by default)
    RefuseSpeed,   // the device stays at its speed when asked to switch
    Endless,       // the reply stops after `at` bytes and letters follow without end
};

struct SimFault {
    FaultKind kind = FaultKind::Silence;
    // Start of the commands it applies to: a ZEP command byte ("=", ">", "-", "6"), the start of
    // a Tessal or Kolvar command line ("download volume", "GET RECSIZE"), "prompt" for the
    // announcement, or empty for every command the kind fits.
    std::string command;
    int skip = 0;   // matching commands let through before the fault strikes
    int times = 1;  // commands it strikes, 0 = every one from then on
    // Truncate / Unplug / Endless: bytes of the reply sent before the cut, -1 = half. BadCrc,
    // BadHeaderCrc, BadStatus on Kolvar downloads: the chunk it strikes, -1 = the first (the last
    // for BadStatus).
    int at = -1;
};

struct SimOptions {
    // Pause between the host opening the port and the prompt.
    int announceDelayMs = 100;
    // Repeat the prompt this often while idle; 0 = only on open and on a "?" probe.
    int announceEveryMs = 0;
    // After a session has ended the device stays quiet (a device that kept announcing would be
    // imported again and again) unless this is set: then it announces again after
    // reannounceDelayMs and, if announceEveryMs is set, repeatedly.
    bool reannounceAfterSession = false;
    int reannounceDelayMs = 1000;
    // Send at the line rate of the speed in force (10 bits per byte).
    bool pace = false;
    // While the host's speed differs from the device's, the host cannot read what the device
    // sends: the bytes arrive as noise. Only on pseudo-terminals, whose speed the device can see.
    bool emulateSpeedMismatch = true;
    // After a speed switch the device waits up to this long for the host to follow, then
    // settleMs more, and answers at the new speed.
    int speedFollowMs = 3000;
    int settleMs = 50;
    // Kolvar: data bytes per chunk frame (the host takes at most 8192).
    std::size_t chunkSize = 4096;
    std::vector<SimFault> faults;
    // Pacing sleeps on this clock; nullptr = the steady clock of the process.
    PaceClock* clock = nullptr;
    // What the device does, as readable lines (UTF-8), from the device thread.
    std::function<void(const std::string&)> onEvent;
    // An item was deleted or marked on the device: its source name (file name of a ZEP file,
    // source of a Tessal archive or Kolvar record).
    std::function<void(const std::string&)> onDeleted;
};

// Parses "KIND[,cmd=TEXT][,skip=N][,times=N|always][,at=N]", KIND one of silence, badcrc,
// badheadercrc, badstatus, truncate, error, missingkey, garbage, unplug, refusespeed, endless.
std::optional<SimFault> ParseFault(std::string_view text);
std::string_view FaultKindName(FaultKind kind);

}  // namespace zep::sim
