#pragma once
// The one parameter block of the window, handed by address to every exchange and card import.
#include <cstdint>
#include <filesystem>
#include <vector>

namespace zep {

using SelectionKey = std::uint32_t;

struct WorkerParams {
    int port = 0;                         // COM port number (exchanges)
    bool deleteData = false;              // delete processed data: m_deleteAfter or m_deleteFlash
    std::filesystem::path folder;         // card folder; the worker's own copy of the path
    std::vector<SelectionKey> selection;  // keys chosen in the preview; empty = take everything
    // Setting "ImportOnce": archives the import history knows are passed over, unless chosen in
    // the preview (an explicit choice overrides the history).
    bool importOnce = false;
};

}  // namespace zep
