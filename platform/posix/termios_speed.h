#pragma once
// Conversion between line speeds in bit/s and the terminal layer's speed codes.
#include <termios.h>

namespace zep::posix {

// The code of a standard speed, or B0 when the speed has none.
speed_t SpeedCode(int bitsPerSecond);
// The speed of a code in bit/s, 0 for B0 and unknown codes.
int SpeedFromCode(speed_t code);
// Raw 8N1 without flow control or translation, reads returning at once.
void MakeRawLine(termios& settings);

}  // namespace zep::posix
