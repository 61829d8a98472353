#pragma once
// Told of every raw file an exchange has published, with its content, and of every unit the
// import history passed over: the session recording notes each one, and its replay checks that
// the same files come out again.
#include <cstdint>
#include <filesystem>
#include <span>

namespace zep {

class RawFileObserver {
public:
    virtual ~RawFileObserver() = default;
    // Called on the worker's thread once the file has its final name.
    virtual void Published(const std::filesystem::path& file,
                           std::span<const std::uint8_t> content) = 0;
    // Called on the worker's thread for a unit not saved, as imported before.
    virtual void PassedOver(std::span<const std::uint8_t> content) = 0;
};

}  // namespace zep
