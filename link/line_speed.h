#pragma once
// What the three device exchanges share about the line: the speed they raise it to for the
// transfer, and the log line for a speed that could not be set (raised or restored).
#include <string>

namespace zep {

inline constexpr int kFastSpeed = 57600;

// "$04Ошибка установки скорости COM-порта <speed> бит/сек."
std::string SpeedErrorLine(int speed);

}  // namespace zep
