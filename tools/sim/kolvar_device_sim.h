#pragma once
// A Kolvar device: numbered records, upper-case command lines ended by "\r", replies ending with
// the prompt "KLV10>", records sent as chunk frames with a header check word and a data check
// word chained to it.
#include <cstdint>
#include <string>
#include <vector>

#include "tools/sim/device_sim.h"

namespace zep::sim {

struct KolvarRecord {
    std::vector<std::uint8_t> bytes;
    std::string source;  // where it came from, for the events and onDeleted
};

class KolvarDeviceSim final : public DeviceSim {
public:
    explicit KolvarDeviceSim(std::vector<KolvarRecord> records, SimOptions options = {});
    ~KolvarDeviceSim() override;

    // Record numbers deleted by "DELETE RECORD", in order (numbers as the host gave them).
    std::vector<int> DeletedRecords() const;
    std::vector<KolvarRecord> Records() const;

private:
    void OnBytes(std::span<const std::uint8_t> bytes) override;
    void OnHostGone() override;
    void HandleLine(const std::string& line);
    void SwitchSpeed(const std::string& line);
    void SendRecord(const std::string& line);
    void DeleteRecord(const std::string& line);

    std::vector<KolvarRecord> m_records;  // guarded by StateMutex()
    std::vector<int> m_deleted;           // guarded by StateMutex()
    std::string m_line;
};

// One chunk frame: signature, record number, end offset, data length, status, four unused
// bytes, header check word, data, data check word chained to the header's.
std::vector<std::uint8_t> KolvarFrame(int record, std::size_t endOffset,
                                      std::span<const std::uint8_t> data, int status);
// The frames carrying bytes [offset, offset + data.size()) of a record, at most chunkSize data
// bytes each; a single empty frame when there are no data.
std::vector<std::vector<std::uint8_t>> KolvarChunkFrames(int record, std::size_t offset,
                                                         std::span<const std::uint8_t> data,
                                                         std::size_t chunkSize);

}  // namespace zep::sim
