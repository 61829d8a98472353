#pragma once
// A ZEP adapter: holds files collected from meters and hands them over one per pass, answering
// single-byte commands: "6" speed switch, "=" header, ">" data and check word, "-" delete,
// "+" next file, "x" end of session.
#include <cstdint>
#include <string>
#include <vector>

#include "tools/sim/device_sim.h"

namespace zep::sim {

struct ZepFile {
    std::string name;  // as the adapter reports it, Windows-1251 bytes
    std::vector<std::uint8_t> bytes;
};

class ZepAdapterSim final : public DeviceSim {
public:
    // Files are served in the order given.
    ZepAdapterSim(std::vector<ZepFile> files, SimOptions options = {});
    ~ZepAdapterSim() override;

    // Names deleted by "-", in order.
    std::vector<std::string> DeletedFiles() const;
    // The files the adapter still holds.
    std::vector<ZepFile> Files() const;

private:
    void OnBytes(std::span<const std::uint8_t> bytes) override;
    void OnHostGone() override;
    void OnSessionEnd() override;
    void HandleCommand(std::uint8_t command);
    void SwitchSpeed();
    void SendHeader();
    void SendData();
    void DeleteCurrent();
    void MoveOn();
    void BeginPassList();
    const ZepFile* Current() const;

    std::vector<ZepFile> m_files;        // guarded by StateMutex()
    std::vector<std::string> m_deleted;  // guarded by StateMutex()
    // The session's files (names, as they stood when the session began) and the pass position.
    std::vector<std::string> m_passList;
    std::size_t m_cursor = 0;
    bool m_passListReady = false;
};

}  // namespace zep::sim
