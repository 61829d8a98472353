#pragma once
// The hidden names under which outputs are written before they are published:
// ".zepimport-<tag>-<unique>.tmp", for the backends that make them.
#include <string>

namespace zep {

// ".zepimport-<tag>-", or ".zepimport-" while no tag is set.
std::string TemporaryNamePrefix();
inline constexpr const char* kTemporaryNameEnd = ".tmp";

}  // namespace zep
