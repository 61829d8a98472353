#pragma once
// A fresh folder per test, removed afterwards.
#include <cstdint>
#include <filesystem>
#include <string>
#include <vector>

namespace zep::test {

class TempDir {
public:
    TempDir();
    ~TempDir();
    TempDir(const TempDir&) = delete;
    TempDir& operator=(const TempDir&) = delete;

    const std::filesystem::path& path() const { return m_path; }
    std::filesystem::path operator/(const std::string& name) const { return m_path / name; }

private:
    std::filesystem::path m_path;
};

std::vector<std::uint8_t> ReadFileBytes(const std::filesystem::path& file);
std::string ReadFileText(const std::filesystem::path& file);
void WriteFileBytes(const std::filesystem::path& file, const std::vector<std::uint8_t>& bytes);
void WriteFileText(const std::filesystem::path& file, const std::string& text);
// Names of the regular files in a folder, sorted.
std::vector<std::string> ListFiles(const std::filesystem::path& folder);

}  // namespace zep::test
