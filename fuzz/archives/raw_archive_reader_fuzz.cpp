// Feeds arbitrary bytes to the meter archive reader through a real file, as the conversion
// and the preview read them, and checks what it hands out.
#include <cstdint>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <random>
#include <string>

#include "convert/raw_archive_reader.h"
#include "core/crc16.h"

namespace {

// One scratch file per fuzzing process, removed when the process ends.
class ScratchFile {
public:
    ScratchFile() {
        std::random_device random;
        m_path = std::filesystem::temp_directory_path() /
                 ("zepfuzz-" + std::to_string(random()) + std::to_string(random()) + ".bia");
    }
    ~ScratchFile() {
        std::error_code ignored;
        std::filesystem::remove(m_path, ignored);
    }
    const std::filesystem::path& Write(const std::uint8_t* data, std::size_t size) {
        // A fresh file each time: truncating a file in place makes some file systems flush it
        // to disk on close, which slows fuzzing a hundredfold.
        std::error_code ignored;
        std::filesystem::remove(m_path, ignored);
        std::ofstream out(m_path, std::ios::binary | std::ios::trunc);
        out.write(reinterpret_cast<const char*>(data), static_cast<std::streamsize>(size));
        return m_path;
    }

private:
    std::filesystem::path m_path;
};

void Require(bool condition) {
    if (!condition) {
        std::abort();
    }
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    static ScratchFile scratch;
    zep::RawArchiveReader reader;
    Require(reader.GetProgress() == 0);
    if (!reader.Open(scratch.Write(data, size))) {
        Require(reader.GetHeaderText().empty() && !reader.ReadRecord());
        return 0;
    }
    const std::string text = reader.GetHeaderText();
    Require(text.size() + 8 <= size);
    for (const char* key : {"Type", "Serial", "Virtual", "Vname", "Time", "=", "\n"}) {
        Require(reader.GetValue(key).size() <= text.size());
    }
    int last = reader.GetProgress();
    while (const auto record = reader.ReadRecord()) {
        const auto bytes = record->bytes;
        Require(record->Length() >= 4 && bytes.size() == record->Length() + 2u);
        Require(bytes[2] == 'T' && record->Data().size() == record->Length() - 4u);
        Require(zep::Crc16(bytes.subspan(2, record->Length() - 2u)) ==
                zep::ReadLe16(bytes.data() + record->Length()));
        const int progress = reader.GetProgress();
        Require(progress >= last && progress <= 100);
        last = progress;
    }
    Require(!reader.ReadRecord());
    return 0;
}
