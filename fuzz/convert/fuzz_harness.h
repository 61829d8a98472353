#pragma once
// What the conversion fuzz targets share: drivers loaded once from copies of the built null and
// sample drivers, a scratch folder for the raw file and an import folder that is emptied after
// every input.
#include <filesystem>
#include <fstream>
#include <random>
#include <span>
#include <string>

#include "convert/conversion_context.h"
#include "convert/driver_table.h"
#include "convert/local_driver_calls.h"
#include "core/clock.h"
#include "core/worker_report.h"

namespace zep::fuzz {

class SilentReport final : public WorkerReport {
public:
    void SetBar1(int, std::optional<std::string>) override {}
    void SetBar2(int, std::optional<std::string>) override {}
    void AddLogLines(std::optional<std::string>, std::optional<std::string>) override {}
};

class Harness {
public:
    Harness() {
        std::random_device random;
        m_root = std::filesystem::temp_directory_path() /
                 ("zep-fuzz-convert-" + std::to_string(random()));
        std::filesystem::create_directories(m_root / "drivers");
        std::filesystem::create_directories(m_root / "import");
        const std::filesystem::path built(ZEP_BINARY_DIR);
        for (const auto& library :
             {built / "test-drivers" / "vl_null.so", built / "drivers" / "vl_m1.so",
              built / "drivers" / "vl_kolvar.so"}) {
            std::filesystem::copy_file(library, m_root / "drivers" / library.filename(),
                                       std::filesystem::copy_options::overwrite_existing);
        }
        m_drivers.LoadDriversFrom(m_report, m_root / "drivers");
    }
    ~Harness() {
        m_drivers.UnloadDrivers();
        std::error_code ignored;
        std::filesystem::remove_all(m_root, ignored);
    }

    // Writes the raw file and returns its path.
    std::filesystem::path WriteRaw(const std::string& name, std::span<const std::uint8_t> bytes) {
        const auto path = m_root / name;
        std::ofstream file(path, std::ios::binary | std::ios::trunc);
        file.write(reinterpret_cast<const char*>(bytes.data()),
                   static_cast<std::streamsize>(bytes.size()));
        return path;
    }
    void Clean() {
        std::error_code ignored;
        for (const auto& entry : std::filesystem::directory_iterator(ImportFolder(), ignored)) {
            std::filesystem::remove(entry.path(), ignored);
        }
    }

    std::filesystem::path ImportFolder() const { return m_root / "import"; }
    ConversionContext& Context() { return m_context; }

private:
    std::filesystem::path m_root;
    SilentReport m_report;
    DriverTable m_drivers;
    LocalDriverCalls m_calls{m_drivers};
    ConversionContext m_context{m_report, m_calls, DefaultClock()};
};

}  // namespace zep::fuzz
