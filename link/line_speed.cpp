// The log line of a line speed that the port refused.
#include "link/line_speed.h"

namespace zep {

std::string SpeedErrorLine(int speed) {
    return "$04Ошибка установки скорости COM-порта " + std::to_string(speed) + " бит/сек.";
}

}  // namespace zep
