// Card databases come from cards written by field devices: any bytes must load or be refused
// without reading outside the file image, and every user of a record must stay inside it.
#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <random>
#include <sstream>
#include <string>

#include "media/card_database.h"
#include "media/card_inspect.h"
#include "media/preview_model.h"

namespace {

volatile unsigned g_sink;

// A folder of its own for the input file, removed when the process ends.
struct InputFolder {
    InputFolder()
        : folder(std::filesystem::temp_directory_path() /
                 ("zep-card-fuzz-" + std::to_string(std::random_device{}()))) {
        std::filesystem::create_directories(folder);
    }
    ~InputFolder() {
        std::error_code ignored;
        std::filesystem::remove_all(folder, ignored);
    }
    std::filesystem::path folder;
};

const std::filesystem::path& InputFile() {
    static const InputFolder input;
    static const std::filesystem::path path = input.folder / "TESSAL.DAT";
    return path;
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    const auto& path = InputFile();
    {
        std::ofstream file(path, std::ios::binary | std::ios::trunc);
        file.write(reinterpret_cast<const char*>(data), static_cast<std::streamsize>(size));
    }
    zep::CCardDatabase database;
    if (database.Load(path) == zep::kCardLoaded) {
        unsigned sum = database.Version();
        for (std::uint32_t i = 0; i < database.Count(); ++i) {
            if (const auto record = database.Record(i)) {
                sum += record->CheckWordMatches() ? 1u : 0u;
                sum += static_cast<unsigned>(record->Volume());
                for (int n = 0; n < 7; ++n) {
                    sum += static_cast<unsigned>(record->Title(n).size());
                }
                for (const std::uint8_t byte : record->Payload()) {
                    sum += byte;
                }
            }
            database.Mark(i, zep::kCardFlagDeleted);
        }
        database.SaveFlags();
        g_sink = sum;
    }
    std::ostringstream description;
    zep::DescribeCardDatabase(path, description);
    zep::ReadCardFolder(path.parent_path(), zep::ArchiveKeys::Compute);
    return 0;
}
