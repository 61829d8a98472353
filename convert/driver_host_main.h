#pragma once
// The driver host process: the hidden mode of the program that DriverHost starts. It loads the
// drivers it is told to, converts the records of the raw files it is sent with them, and
// answers over the channel it was started with (convert/host_protocol.h).
namespace zep {

// The hidden command-line option that starts the program as a driver host.
inline constexpr const char* kDriverHostOption = "--driver-host";

// Serves the program until it says Exit or its end of the channel closes; returns the process
// exit status (2 when the process was not started as a driver host).
int RunDriverHost();

}  // namespace zep
