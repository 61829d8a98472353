#pragma once
// A shared library that the test drivers and the tests both link: it is loaded once per
// process, so every copy of a test driver records its calls in the same place, where the test
// reads them.
#if defined(_WIN32)
#define ZEP_PROBE_API extern "C" __declspec(dllexport)
#else
#define ZEP_PROBE_API extern "C" __attribute__((visibility("default")))
#endif

// Appends an event such as "exit:vl_test_dup_1_2".
ZEP_PROBE_API void ZepProbeRecord(const char* event);
// How often the exact event was recorded since the last reset.
ZEP_PROBE_API int ZepProbeCount(const char* event);
// Number of events and the i-th one (nullptr outside the range).
ZEP_PROBE_API int ZepProbeEventCount();
ZEP_PROBE_API const char* ZepProbeEvent(int index);
// 0, 1, 2 ... one number per call since the last reset.
ZEP_PROBE_API int ZepProbeNext();
ZEP_PROBE_API void ZepProbeReset();
