#pragma once
// The Windows headers, included one way everywhere in the backend: without the rarely used
// parts and without the min/max macros that would break the standard library.
#ifndef WIN32_LEAN_AND_MEAN
#define WIN32_LEAN_AND_MEAN
#endif
#ifndef NOMINMAX
#define NOMINMAX
#endif
#include <windows.h>
