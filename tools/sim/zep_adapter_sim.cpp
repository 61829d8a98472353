// The simulated ZEP adapter: hands over its files one per pass through single-byte commands,
// deletes them on request, and commits the faults it is given.
#include "tools/sim/zep_adapter_sim.h"

#include <algorithm>

#include "tools/sim/sim_cp1251.h"
#include "tools/sim/sim_crc.h"

namespace zep::sim {

namespace {

constexpr std::string_view kOk = "OK\r\n";
constexpr std::string_view kError = "ERROR\r\n";

}  // namespace

ZepAdapterSim::ZepAdapterSim(std::vector<ZepFile> files, SimOptions options)
    : DeviceSim("ZEP>", std::move(options)), m_files(std::move(files)) {}

ZepAdapterSim::~ZepAdapterSim() {
    Stop();
}

std::vector<std::string> ZepAdapterSim::DeletedFiles() const {
    std::lock_guard guard(StateMutex());
    return m_deleted;
}

std::vector<ZepFile> ZepAdapterSim::Files() const {
    std::lock_guard guard(StateMutex());
    return m_files;
}

void ZepAdapterSim::OnBytes(std::span<const std::uint8_t> bytes) {
    for (const std::uint8_t byte : bytes) {
        if (Stopping()) {
            return;
        }
        HandleCommand(byte);
    }
}

void ZepAdapterSim::OnHostGone() {
    m_passListReady = false;
}

void ZepAdapterSim::OnSessionEnd() {
    m_passListReady = false;
}

void ZepAdapterSim::HandleCommand(std::uint8_t command) {
    if (command == '?') {
        ReceivedCommand("?");
        if (!InSession()) {
            Announce();
        }
        return;
    }
    ReceivedCommand(std::string(1, static_cast<char>(command)));
    if (!m_passListReady) {
        BeginPassList();
    }
    switch (command) {
        case '6':
            SwitchSpeed();
            break;
        case '=':
            SendHeader();
            break;
        case '>':
            SendData();
            break;
        case '-':
            DeleteCurrent();
            break;
        case '+':
            MoveOn();
            break;
        case 'x':
            EndSession();
            break;
        default:
            Event("unknown command byte " + std::to_string(command));
            break;
    }
}

// The adapter offers the files it holds when the session begins, one per pass, in their order.
void ZepAdapterSim::BeginPassList() {
    m_passList.clear();
    for (const auto& file : m_files) {
        m_passList.push_back(file.name);
    }
    m_cursor = 0;
    m_passListReady = true;
}

const ZepFile* ZepAdapterSim::Current() const {
    if (m_cursor >= m_passList.size()) {
        return nullptr;
    }
    const auto found = std::find_if(m_files.begin(), m_files.end(), [&](const ZepFile& file) {
        return file.name == m_passList[m_cursor];
    });
    return found == m_files.end() ? nullptr : &*found;
}

void ZepAdapterSim::SwitchSpeed() {
    const auto fault =
        StrikingFault("6", {FaultKind::Silence, FaultKind::RefuseSpeed, FaultKind::ErrorReply,
                            FaultKind::Garbage, FaultKind::Truncate, FaultKind::Unplug});
    if (fault && fault->kind == FaultKind::Silence) {
        return;
    }
    const bool refused =
        fault && (fault->kind == FaultKind::RefuseSpeed || fault->kind == FaultKind::ErrorReply);
    if (!refused) {
        SwitchDeviceSpeed(57600);
    }
    // The answer goes out once the host has followed: it discards its input when it switches.
    AwaitHostSpeed(57600);
    Reply(refused ? kError : kOk, fault);
}

// A "silence" fault on "+" makes an adapter that does not move on: it offers the same file
// again.
void ZepAdapterSim::MoveOn() {
    const auto fault = StrikingFault("+", {FaultKind::Silence});
    if (!fault) {
        ++m_cursor;
    }
}

void ZepAdapterSim::SendHeader() {
    const auto fault = StrikingFault(
        "=", {FaultKind::Silence, FaultKind::ErrorReply, FaultKind::MissingKey, FaultKind::Garbage,
              FaultKind::Truncate, FaultKind::Unplug, FaultKind::Endless});
    if (fault && fault->kind == FaultKind::Silence) {
        return;
    }
    // A file deleted in this pass has no header any more; past the last file the name is empty.
    const ZepFile* file = Current();
    if ((fault && fault->kind == FaultKind::ErrorReply) ||
        (!file && m_cursor < m_passList.size())) {
        Reply(kError, fault);
        return;
    }
    std::string line = file ? file->name + "," + std::to_string(file->bytes.size()) : ",0";
    if (!fault || fault->kind != FaultKind::MissingKey) {
        line = "FILE=" + line;
    }
    Event("header " + DecodeCp1251(line));
    Reply(line + "\r\n", fault);
}

void ZepAdapterSim::SendData() {
    const auto fault =
        StrikingFault(">", {FaultKind::Silence, FaultKind::ErrorReply, FaultKind::BadCrc,
                            FaultKind::Garbage, FaultKind::Truncate, FaultKind::Unplug});
    if (fault && fault->kind == FaultKind::Silence) {
        return;
    }
    const ZepFile* file = Current();
    if (!file || (fault && fault->kind == FaultKind::ErrorReply)) {
        Reply(kError, fault);
        return;
    }
    std::vector<std::uint8_t> block = file->bytes;
    std::uint16_t crc = SimCrc16(block);
    if (fault && fault->kind == FaultKind::BadCrc) {
        crc ^= 0xFFFFu;
    }
    block.push_back(static_cast<std::uint8_t>(crc & 0xFFu));
    block.push_back(static_cast<std::uint8_t>(crc >> 8));
    Event("data of " + DecodeCp1251(file->name) + ", " + std::to_string(file->bytes.size()) +
          " bytes");
    Reply(block, fault);
}

void ZepAdapterSim::DeleteCurrent() {
    const auto fault =
        StrikingFault("-", {FaultKind::Silence, FaultKind::ErrorReply, FaultKind::Garbage,
                            FaultKind::Truncate, FaultKind::Unplug});
    if (fault && fault->kind == FaultKind::Silence) {
        return;
    }
    const ZepFile* file = Current();
    if (!file || (fault && fault->kind == FaultKind::ErrorReply)) {
        Reply(kError, fault);
        return;
    }
    const std::string name = file->name;
    ChangeState([&] {
        m_files.erase(m_files.begin() + (file - m_files.data()));
        m_deleted.push_back(name);
    });
    Event("deleted " + DecodeCp1251(name));
    Deleted(name);
    Reply(kOk, fault);
}

}  // namespace zep::sim
