#pragma once
// Shared set-up of the conversion tests: drivers loaded once from copies of the built
// libraries, a raw-file folder, an import folder and a fixed clock.
#include <gtest/gtest.h>

#include <memory>

#include "convert/conversion_context.h"
#include "convert/driver_table.h"
#include "convert/local_driver_calls.h"
#include "platform/time_base.h"
#include "tests/convert/conversion_fixture.h"
#include "tests/support/fake_clock.h"
#include "tests/support/recording_report.h"

namespace zep::test {

class ConversionTestBase : public ::testing::Test {
protected:
    // The script driver ("TEST"), the sample drivers ("M1", the Kolvar type) and "NULL".
    static void SetUpTestSuite() {
        s_driverFolder = std::make_unique<TempDir>();
        for (const std::string& name :
             {Lib("vl_test_script"), Lib("vl_m1"), Lib("vl_kolvar"), Lib("vl_null")}) {
            CopyDriver(name, s_driverFolder->path());
        }
        s_drivers = std::make_unique<DriverTable>();
        RecordingReport ignored;
        s_drivers->LoadDriversFrom(ignored, s_driverFolder->path());
    }
    static void TearDownTestSuite() {
        s_drivers.reset();
        s_driverFolder.reset();
    }

    std::filesystem::path WriteRaw(const std::string& name, const Bytes& bytes) const {
        const auto path = raw / name;
        WriteFileBytes(path, bytes);
        return path;
    }

    std::string Stamp() { return FormatLocalTime(clock.Now(), kFileStampPattern); }

    std::vector<std::string> ImportFiles() const { return ListFiles(import.path()); }
    // The upper-pane lines saying that a driver processed a record only in part.
    std::vector<std::string> Incomplete() const {
        std::vector<std::string> lines;
        for (const auto& line : report.Upper()) {
            if (line.find("не полностью") != std::string::npos) {
                lines.push_back(line);
            }
        }
        return lines;
    }

    static Bytes Script(const std::string& text) { return ToBytes(text); }
    static Bytes Result(int code) { return {'R', static_cast<std::uint8_t>(code)}; }

    inline static std::unique_ptr<TempDir> s_driverFolder;
    inline static std::unique_ptr<DriverTable> s_drivers;

    TempDir raw;
    TempDir import;
    RecordingReport report;
    FakeClock clock{1700000000};
    LocalDriverCalls calls{*s_drivers};
    ConversionContext context{report, calls, clock};
};

}  // namespace zep::test
