#pragma once
// A data collector running the Tessal program: a database of numbered records, an archive being
// a run of consecutive records (its volumes). Answers lower-case command lines ended by "\r\n",
// each reply ending with the prompt "CL>"; volumes travel as frames "Tess", L, check word, data.
#include <cstdint>
#include <string>
#include <vector>

#include "tools/sim/device_sim.h"

namespace zep::sim {

struct TessalArchive {
    // Each volume's data: H (2 bytes, most significant first), H bytes of header strings, then
    // the volume's share of the records.
    std::vector<std::vector<std::uint8_t>> volumes;
    std::string source;  // where it came from, for the events and onDeleted
};

struct TessalDatabase {
    std::string version = "0.97";  // the text after "Version="
    std::vector<TessalArchive> archives;
};

class TessalCollectorSim final : public DeviceSim {
public:
    explicit TessalCollectorSim(TessalDatabase database, SimOptions options = {});
    ~TessalCollectorSim() override;

    // Archive starts (record numbers) marked by "delete archive", in order.
    std::vector<int> MarkedArchives() const;
    // The archives the collector still holds; marked ones leave when the session ends, so the
    // record numbers the host works with stay valid during the session.
    std::vector<TessalArchive> Archives() const;

private:
    void OnBytes(std::span<const std::uint8_t> bytes) override;
    void OnHostGone() override;
    void OnSessionEnd() override;
    void HandleLine(const std::string& line);
    void SwitchSpeed(const std::string& line);
    void SendVolume(const std::string& line);
    void MarkArchive(const std::string& line);
    int RecordCount() const;
    // Archive index and volume index of a record number; false when out of range.
    bool Locate(int record, std::size_t& archive, std::size_t& volume) const;

    TessalDatabase m_database;  // guarded by StateMutex()
    std::vector<int> m_marked;  // guarded by StateMutex()
    std::vector<std::size_t> m_markedInSession;
    std::string m_line;
};

}  // namespace zep::sim
