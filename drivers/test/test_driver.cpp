// One source for the drivers that exercise every path of the driver contract; each build
// chooses a behaviour with compile definitions:
//   TD_TAG              name of the build, used in the events it records
//   TD_NAME             driver name (default "TEST")
//   TD_SEQUENCE         name "SEQ<n>" with n counted across all loaded copies
//   TD_VERSION_MAJOR/MINOR  version written in VLInit (untouched when not defined)
//   TD_NO_INIT          no VLInit export
//   TD_INIT_RESULT      what VLInit returns (default 1)
//   TD_ENTRY6           export name written into entry 6 (default "TestConvert")
//   TD_NO_ENTRIES       every entry names an export that does not exist
//   TD_INIT_FAULT       VLInit crashes (1), never returns (2) or ends the process (3)
// The conversion entry point follows a script in the record data (first byte):
//   'E' echo kind, virtual device, length and the rest of the data as text; result untouched
//   'R' c    result = c (signed byte)
//   'F'      return 0 (call not carried out);  'G' return 2
//   'B' n    n bytes of text (n: 4 bytes, least significant first) in lines of 64; result 0
//   'D'      write 1.5 and 2/3 as floating-point values
//   'X'      throw an exception
//   'S'      scribble over the block (out, data, virtual device) and return 1
//   'K' / 'L'  set the stream's bad bit / fail bit and return 1
//   'C'      crash (a write to address 0);  'Q' exit(3);  'A' abort()
//   'H'      never return (after writing its process id into the file named by
//            ZEP_TEST_HANG_MARKER, if set)
//   'O'      print terminal escape sequences and a megabyte to the standard output and error
//   'Z'      close the standard streams, then write "closed\n" and return 1
//   'W'      write bytes that are no frame to every descriptor above the standard streams
#include <chrono>
#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <fstream>
#include <iostream>
#include <stdexcept>
#include <string>
#include <thread>
#if defined(_WIN32)
#include <process.h>
#else
#include <unistd.h>
#endif

#include "drivers/test/probe.h"
#include "sdk/vl_driver.h"

#ifndef TD_NAME
#define TD_NAME "TEST"
#endif
#ifndef TD_INIT_RESULT
#define TD_INIT_RESULT 1
#endif
#ifndef TD_ENTRY6
#define TD_ENTRY6 "TestConvert"
#endif

namespace {

void Record(const char* what) {
    ZepProbeRecord((std::string(what) + ":" + TD_TAG).c_str());
}

void WriteBulk(std::ostream& out, std::uint32_t count) {
    static const char kLine[] = "0123456789abcdefghijklmnopqrstuvwxyzABCDEFGHIJKLMNOPQRSTUVWXYZ_\n";
    static_assert(sizeof kLine - 1 == 64);
    for (std::uint32_t i = 0; i < count; ++i) {
        out.put(kLine[i % 64]);
    }
}

[[noreturn]] void Crash() {
    volatile int* volatile nowhere = nullptr;
    *nowhere = 1;
    std::abort();
}

// Says which process hangs, for the tests that end the process that started it.
[[noreturn]] void Hang() {
    if (const char* marker = std::getenv("ZEP_TEST_HANG_MARKER")) {
#if defined(_WIN32)
        std::ofstream(marker) << _getpid() << "\n";
#else
        std::ofstream(marker) << getpid() << "\n";
#endif
    }
    for (;;) {
        std::this_thread::sleep_for(std::chrono::hours(1));
    }
}

void PrintToStandardStreams() {
    const std::string escapes = "\x1b[2J\x1b[31mDRIVER-SAYS\x1b]0;title\x07\r\n";
    std::cout << escapes << std::string(1 << 20, 'x') << std::flush;
    std::cerr << escapes << std::flush;
    std::printf("%s", escapes.c_str());
    std::fflush(stdout);
}

void CloseStandardStreams() {
    std::fclose(stdin);
    std::fclose(stdout);
    std::fclose(stderr);
#if !defined(_WIN32)
    close(0);
    close(1);
    close(2);
#endif
}

void WriteGarbageToDescriptors() {
#if !defined(_WIN32)
    static const char kGarbage[] = "\x7f\xff\xff\xff\xffnot a frame";
    for (int fd = 3; fd < 64; ++fd) {
        (void)!write(fd, kGarbage, sizeof kGarbage);
    }
#endif
}

}  // namespace

// A data object, for a driver whose entry 6 names it instead of a function.
VL_EXPORT unsigned char TestTable[64];
unsigned char TestTable[64] = {1};

VL_EXPORT int TestConvert(VLRecordBlock* block, int size) {
    Record("convert");
    if (size != static_cast<int>(sizeof(VLRecordBlock)) || block->length < 1) {
        return 0;
    }
    std::ostream& out = *block->out;
    const unsigned char* data = block->data;
    const int length = block->length;
    switch (data[0]) {
        case 'E':
            out << "kind=" << block->kind << " virtual=" << block->virtualDevice
                << " length=" << length << " text=";
            out.write(reinterpret_cast<const char*>(data + 1), length - 1);
            out << "\n";
            return kVLCallDone;
        case 'R':
            block->result = length > 1 ? static_cast<std::int8_t>(data[1]) : 0;
            out << "result " << block->result << "\n";
            return kVLCallDone;
        case 'F':
            return 0;
        case 'G':
            return 2;
        case 'B':
            if (length >= 5) {
                WriteBulk(out, std::uint32_t{data[1]} | (std::uint32_t{data[2]} << 8) |
                                   (std::uint32_t{data[3]} << 16) | (std::uint32_t{data[4]} << 24));
            }
            block->result = kVLRecordDone;
            return kVLCallDone;
        case 'D':
            out << 1.5 << " " << 2.0 / 3.0 << "\n";
            return kVLCallDone;
        case 'X':
            throw std::runtime_error("driver failure");
        case 'S':
            block->out = nullptr;
            block->data = nullptr;
            block->virtualDevice = -7;
            return kVLCallDone;
        case 'K':
            out.setstate(std::ios_base::badbit);
            return kVLCallDone;
        case 'L':
            out.setstate(std::ios_base::failbit);
            return kVLCallDone;
        case 'C':
            Crash();
        case 'Q':
            std::exit(3);
        case 'A':
            std::abort();
        case 'H':
            Hang();
        case 'O':
            PrintToStandardStreams();
            out << "printed\n";
            return kVLCallDone;
        case 'Z':
            CloseStandardStreams();
            out << "closed\n";
            return kVLCallDone;
        case 'W':
            WriteGarbageToDescriptors();
            return kVLCallDone;
        default:
            return kVLCallDone;
    }
}

VL_EXPORT int TestDescribe() {
    return 0;
}

VL_EXPORT int VLSetApp(void* application, int reserved) {
    const auto* host = static_cast<const VLHostInfo*>(application);
    const bool valid = host != nullptr && host->size == sizeof(VLHostInfo) && reserved == 0;
    Record(valid ? "setapp" : "setapp-invalid");
    return 1;
}

VL_EXPORT int VLExit(int a, int b) {
    Record(a == 0 && b == 0 ? "exit" : "exit-invalid");
    return 1;
}

#ifndef TD_NO_INIT
VL_EXPORT int VLInit(VLDriverDescriptor* descriptor, int size) {
    Record("init");
#if TD_INIT_FAULT == 1
    Crash();
#elif TD_INIT_FAULT == 2
    Hang();
#elif TD_INIT_FAULT == 3
    std::exit(3);
#endif
    if (size != static_cast<int>(kVLDescriptorSize) || descriptor->versionMajor != 1 ||
        descriptor->versionMinor != 0) {
        Record("init-unexpected");
    }
#ifdef TD_SEQUENCE
    std::snprintf(descriptor->name, sizeof descriptor->name, "SEQ%d", ZepProbeNext());
#else
    std::snprintf(descriptor->name, sizeof descriptor->name, "%s", TD_NAME);
#endif
#ifdef TD_VERSION_MAJOR
    descriptor->versionMajor = TD_VERSION_MAJOR;
    descriptor->versionMinor = TD_VERSION_MINOR;
#endif
    for (int i = 0; i < kVLEntryCount; ++i) {
#ifdef TD_NO_ENTRIES
        std::snprintf(descriptor->entries[i].exportName, kVLExportNameSize, "Absent%d", i);
#else
        std::snprintf(descriptor->entries[i].exportName, kVLExportNameSize,
                      i == kVLConvertEntry ? TD_ENTRY6 : "TestDescribe");
#endif
    }
    return TD_INIT_RESULT;
}
#endif
