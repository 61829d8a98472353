// The simulated Tessal collector: answers command lines, sends archive volumes as checked
// frames, marks archives as the host asks, and commits the faults it is given.
#include "tools/sim/tessal_collector_sim.h"

#include <algorithm>
#include <array>

#include "tools/common/line_speed.h"
#include "tools/sim/command_line_words.h"
#include "tools/sim/sim_crc.h"

namespace zep::sim {

namespace {

constexpr std::string_view kPromptEnd = "\r\nCL>";
constexpr std::size_t kLongestLine = 256;
// The frame length field counts the check word and the data.
constexpr std::size_t kLargestVolume = 0xFFFF - 2;

constexpr std::string_view kError = "Error";

}  // namespace

TessalCollectorSim::TessalCollectorSim(TessalDatabase database, SimOptions options)
    : DeviceSim("CL>", std::move(options)), m_database(std::move(database)) {}

TessalCollectorSim::~TessalCollectorSim() {
    Stop();
}

std::vector<int> TessalCollectorSim::MarkedArchives() const {
    std::lock_guard guard(StateMutex());
    return m_marked;
}

std::vector<TessalArchive> TessalCollectorSim::Archives() const {
    std::lock_guard guard(StateMutex());
    return m_database.archives;
}

void TessalCollectorSim::OnBytes(std::span<const std::uint8_t> bytes) {
    for (const std::uint8_t byte : bytes) {
        if (Stopping()) {
            return;
        }
        if (byte == '?' && m_line.empty()) {
            ReceivedCommand("?");
            if (!InSession()) {
                Announce();
            }
        } else if (byte == '\n') {
            std::string line;
            line.swap(m_line);
            if (!line.empty() && line.back() == '\r') {
                line.pop_back();
            }
            if (!line.empty()) {
                HandleLine(line);
            }
        } else if (m_line.size() < kLongestLine) {
            m_line.push_back(static_cast<char>(byte));
        }
    }
}

void TessalCollectorSim::OnHostGone() {
    m_line.clear();
    OnSessionEnd();
}

// Marked archives leave the database only now, so the record numbers stay put while the host
// walks through them.
void TessalCollectorSim::OnSessionEnd() {
    auto marked = m_markedInSession;
    m_markedInSession.clear();
    std::sort(marked.rbegin(), marked.rend());
    marked.erase(std::unique(marked.begin(), marked.end()), marked.end());
    if (marked.empty()) {
        return;
    }
    ChangeState([&] {
        for (const std::size_t index : marked) {
            m_database.archives.erase(m_database.archives.begin() +
                                      static_cast<std::ptrdiff_t>(index));
        }
    });
}

int TessalCollectorSim::RecordCount() const {
    std::size_t count = 0;
    for (const auto& archive : m_database.archives) {
        count += archive.volumes.size();
    }
    return static_cast<int>(count);
}

bool TessalCollectorSim::Locate(int record, std::size_t& archive, std::size_t& volume) const {
    if (record < 0) {
        return false;
    }
    std::size_t first = 0;
    for (std::size_t index = 0; index < m_database.archives.size(); ++index) {
        const std::size_t volumes = m_database.archives[index].volumes.size();
        if (static_cast<std::size_t>(record) < first + volumes) {
            archive = index;
            volume = static_cast<std::size_t>(record) - first;
            return true;
        }
        first += volumes;
    }
    return false;
}

void TessalCollectorSim::HandleLine(const std::string& line) {
    ReceivedCommand(line);
    const auto words = SplitWords(line);
    std::size_t archive = 0;
    std::size_t volume = 0;
    if (StartsWithWords(words, {"set", "baudrate"})) {
        SwitchSpeed(line);
    } else if (StartsWithWords(words, {"version"})) {
        ReplyText(line, "Version=" + m_database.version, kError, kPromptEnd);
    } else if (StartsWithWords(words, {"get", "records"})) {
        ReplyText(line, "Records=" + std::to_string(RecordCount()), kError, kPromptEnd);
    } else if (StartsWithWords(words, {"get", "volumes"})) {
        // Only the first record of an archive knows how many volumes follow.
        const auto start = WordNumber(words, 2);
        const bool known =
            start && Locate(static_cast<int>(*start), archive, volume) && volume == 0;
        ReplyText(
            line,
            known ? "Volumes=" + std::to_string(m_database.archives[archive].volumes.size()) : "",
            kError, kPromptEnd);
    } else if (StartsWithWords(words, {"get", "recsize"})) {
        const auto record = WordNumber(words, 2);
        const bool known = record && Locate(static_cast<int>(*record), archive, volume);
        ReplyText(line,
                  known ? "RecSize=" + std::to_string(
                                           m_database.archives[archive].volumes[volume].size() + 4)
                        : "",
                  kError, kPromptEnd);
    } else if (StartsWithWords(words, {"download", "volume"})) {
        SendVolume(line);
    } else if (StartsWithWords(words, {"delete", "archive"})) {
        MarkArchive(line);
    } else if (StartsWithWords(words, {"exit"})) {
        EndSession();
    } else {
        ReplyText(line, "", kError, kPromptEnd);
    }
}

void TessalCollectorSim::SwitchSpeed(const std::string& line) {
    const auto fault =
        StrikingFault(line, {FaultKind::Silence, FaultKind::RefuseSpeed, FaultKind::ErrorReply,
                             FaultKind::Garbage, FaultKind::Truncate, FaultKind::Unplug});
    if (fault && fault->kind == FaultKind::Silence) {
        return;
    }
    const auto speed = WordNumber(SplitWords(line), 2);
    const bool valid = speed && tools::IsStandardLineSpeed(static_cast<int>(*speed));
    const bool refused =
        !valid ||
        (fault && (fault->kind == FaultKind::RefuseSpeed || fault->kind == FaultKind::ErrorReply));
    if (!refused) {
        SwitchDeviceSpeed(static_cast<int>(*speed));
    }
    if (valid) {
        AwaitHostSpeed(static_cast<int>(*speed));
    }
    const std::string text = refused ? "Error" : "BaudRate=" + std::to_string(*speed);
    Reply(text + std::string(kPromptEnd), fault);
}

void TessalCollectorSim::SendVolume(const std::string& line) {
    const auto words = SplitWords(line);
    const auto start = WordNumber(words, 2);
    const auto index = WordNumber(words, 3);
    std::size_t archive = 0;
    std::size_t first = 0;
    const bool known =
        start && index && *index >= 0 && Locate(static_cast<int>(*start), archive, first) &&
        first == 0 &&
        static_cast<std::size_t>(*index) < m_database.archives[archive].volumes.size();
    const auto fault =
        StrikingFault(line, {FaultKind::Silence, FaultKind::ErrorReply, FaultKind::BadCrc,
                             FaultKind::Garbage, FaultKind::Truncate, FaultKind::Unplug});
    if (fault && fault->kind == FaultKind::Silence) {
        return;
    }
    const auto* data = known ? &m_database.archives[archive].volumes[*index] : nullptr;
    if (!data || data->size() > kLargestVolume || (fault && fault->kind == FaultKind::ErrorReply)) {
        Reply("Error" + std::string(kPromptEnd), fault);
        return;
    }
    const std::size_t length = data->size() + 2;
    std::uint16_t crc = SimCrc16(*data);
    if (fault && fault->kind == FaultKind::BadCrc) {
        crc ^= 0xFFFFu;
    }
    const std::array<std::uint8_t, 8> head = {'T',
                                              'e',
                                              's',
                                              's',
                                              static_cast<std::uint8_t>(length >> 8),
                                              static_cast<std::uint8_t>(length & 0xFFu),
                                              static_cast<std::uint8_t>(crc >> 8),
                                              static_cast<std::uint8_t>(crc & 0xFFu)};
    std::vector<std::uint8_t> frame(head.size() + data->size());
    std::copy(head.begin(), head.end(), frame.begin());
    std::copy(data->begin(), data->end(), frame.begin() + static_cast<std::ptrdiff_t>(head.size()));
    Event("volume " + std::to_string(*index) + " of archive " + std::to_string(*start) + ", " +
          std::to_string(data->size()) + " bytes");
    Reply(frame, fault);
}

void TessalCollectorSim::MarkArchive(const std::string& line) {
    const auto start = WordNumber(SplitWords(line), 2);
    std::size_t archive = 0;
    std::size_t volume = 0;
    const bool known = start && Locate(static_cast<int>(*start), archive, volume) && volume == 0;
    const auto fault =
        StrikingFault(line, {FaultKind::Silence, FaultKind::ErrorReply, FaultKind::Garbage,
                             FaultKind::Truncate, FaultKind::Unplug});
    if (fault && fault->kind == FaultKind::Silence) {
        return;
    }
    if (!known || (fault && fault->kind == FaultKind::ErrorReply)) {
        Reply("Error" + std::string(kPromptEnd), fault);
        return;
    }
    ChangeState([&] { m_marked.push_back(static_cast<int>(*start)); });
    m_markedInSession.push_back(archive);
    const std::string source = m_database.archives[archive].source;
    Event("marked archive " + std::to_string(*start) + (source.empty() ? "" : " (" + source + ")"));
    Deleted(source);
    Reply("OK" + std::string(kPromptEnd), fault);
}

}  // namespace zep::sim
