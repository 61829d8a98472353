#pragma once
// Line speeds in bit/s and the terminal layer's speed codes, for the tools' own lines.
#include <termios.h>

namespace zep::tools {

// The code of a standard speed, or B0 when the speed has none.
speed_t SpeedCode(int bitsPerSecond);
// The speed of a code in bit/s, 0 for B0 and unknown codes.
int SpeedFromCode(speed_t code);
// Standard line speeds in bit/s that the terminal layer knows; a device refuses the others.
bool IsStandardLineSpeed(int speed);
// Raw 8N1 without flow control or translation, reads returning at once.
void MakeRawLine(termios& settings);

}  // namespace zep::tools
