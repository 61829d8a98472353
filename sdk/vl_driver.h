#pragma once
// Meter-type driver libraries for the Velmora dispatch system, as the ZEP import utility loads
// and calls them. This header is all a driver author needs; it depends on nothing but the C++
// standard library.
//
// A driver in five steps
//
//   1. Build a shared library (".so" on Linux, ".dll" on Windows) with the same C++ compiler and
//      runtime as the host, because the output stream below is a std::ostream of the host.
//   2. Export VLInit with C linkage (VL_EXPORT). In it, write the device type your driver
//      converts into descriptor->name (it is compared byte for byte, case-sensitive, with the
//      "Type" of a meter archive and with title string 1 of an assembled archive), set your
//      version, and write the names of your exports into the fifteen entries. Entry 6
//      (kVLConvertEntry) must name your record conversion function; a driver whose entry 6
//      cannot be resolved is not taken. Return a non-zero value (only the low byte is looked at).
//   3. Optionally export VLSetApp (called once right after loading, before VLInit) and VLExit
//      (called once before the library is unloaded, at exit or when a newer version of the same
//      driver name replaced it).
//   4. In the conversion function, append the text for one record to *block->out and set
//      block->result; return exactly 1 (kVLCallDone) when the call was carried out. Any other
//      return value tells the host the call failed, and the conversion of that file stops.
//   5. Drop the library anywhere below the driver folder (the "Drivers" value of the dispatch
//      system); it is picked up at the next start. Sub-folders whose names begin with "." are not
//      searched.
//
// Results (block->result): negative = error code, the file's conversion fails; 0 = the record
// was fully processed; positive = the record was only partly processed, the conversion goes on
// and the code is logged once per change. The host sets result to 0 once per conversion run,
// not before every record: a driver that does not write it leaves the previous value in place.
//
// The stream has fixed notation with precision 6 set (1.5 comes out as 1.500000) and keeps at
// most kVLOutputLimit bytes; text beyond that is dropped and the stream goes bad. Line ends are
// written as "\n"; the host turns each into CR LF in the import file. Texts are Windows-1251
// bytes and are written unchanged.
//
// Calls arrive on one thread (the host's conversion thread), one record at a time. Do not throw
// out of an exported function: the host treats an escaping exception as a failed call.
#include <cstddef>
#include <cstdint>
#include <ostream>

#if defined(_WIN32)
#define VL_EXPORT extern "C" __declspec(dllexport)
#else
#define VL_EXPORT extern "C" __attribute__((visibility("default")))
#endif

// Sizes and indices fixed by the contract.
inline constexpr std::size_t kVLDescriptorSize = 742;
inline constexpr std::size_t kVLNameSize = 81;
inline constexpr std::size_t kVLExportNameSize = 31;
inline constexpr int kVLEntryCount = 15;
inline constexpr int kVLConvertEntry = 6;
inline constexpr std::size_t kVLOutputLimit = 10485760;

// Return value of the conversion entry point when the call was carried out.
inline constexpr int kVLCallDone = 1;
// block->result values; any other negative or positive value is the driver's own code.
inline constexpr std::int32_t kVLRecordDone = 0;

#pragma pack(push, 1)

struct VLEntry {
    char exportName[kVLExportNameSize];  // NUL-terminated, written by the driver in VLInit
    std::uint32_t slot;                  // 32-bit hosts only; a 64-bit host leaves it alone
};

// Handed to VLInit together with its size (742). The host stores version 1.0 before the call
// and nothing else; the driver fills the rest.
struct VLDriverDescriptor {
    char name[kVLNameSize];            // device type the driver converts, NUL-terminated
    std::uint32_t versionMajor;        // when several libraries carry one name, the highest
    std::uint32_t versionMinor;        //   (major, minor) wins; on a tie the first one found
    unsigned char driverPrivate[128];  // not read by the host
    VLEntry entries[kVLEntryCount];    // entry kVLConvertEntry is the conversion entry point
};

#pragma pack(pop)

static_assert(sizeof(VLEntry) == 35, "an entry is 35 bytes");
static_assert(sizeof(VLDriverDescriptor) == kVLDescriptorSize, "the descriptor is 742 bytes");
static_assert(offsetof(VLDriverDescriptor, name) == 0);
static_assert(offsetof(VLDriverDescriptor, versionMajor) == 81);
static_assert(offsetof(VLDriverDescriptor, versionMinor) == 85);
static_assert(offsetof(VLDriverDescriptor, driverPrivate) == 89);
static_assert(offsetof(VLDriverDescriptor, entries) == 217);

// One record of a meter archive or an assembled archive, handed to the conversion entry point
// together with sizeof(VLRecordBlock).
struct VLRecordBlock {
    std::int32_t virtualDevice;  // number of the virtual device whose data this is
    std::int32_t kind;           // record kind byte, 0..255
    const unsigned char* data;   // record data (valid during the call only)
    std::int32_t length;         // bytes of data, at least 1
    std::ostream* out;           // output text of the conversion; append, never seek
    std::int32_t result;         // written by the driver (see the results above)
};

// What VLSetApp receives as its first argument: a description of the host. A driver may keep
// the pointer for the life of the library.
struct VLHostInfo {
    std::uint32_t size;    // sizeof(VLHostInfo)
    const char* hostName;  // "ZEP Import"
    std::uint32_t versionMajor;
    std::uint32_t versionMinor;
};

// The exports, with their arguments in call order.
using VLSetAppFunction = int (*)(void* application, int reserved);         // optional
using VLInitFunction = int (*)(VLDriverDescriptor* descriptor, int size);  // required
using VLExitFunction = int (*)(int reserved1, int reserved2);              // optional
using VLConvertRecordFunction = int (*)(VLRecordBlock* block, int size);   // entry 6
