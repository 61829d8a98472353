// The driver host's loop: requests read from the channel, drivers loaded and called here, the
// lines, progress and texts of each conversion sent back.
#include "convert/driver_host_main.h"

#include <chrono>
#include <vector>

#include "convert/assembled_conversion.h"
#include "convert/host_protocol.h"
#include "convert/local_driver_calls.h"
#include "core/path_text.h"
#include "platform/parent_channel.h"

namespace zep {

namespace {

constexpr std::size_t kReadChunk = 64 * 1024;
// Progress is for a bar: ten steps a second are plenty, and many small files stay cheap.
constexpr auto kProgressInterval = std::chrono::milliseconds(100);

// The conversion's lines go to the program at once; its progress at most every interval, the
// first one only when the conversion has taken that long (a small file sends none).
class ChannelReport final : public WorkerReport {
public:
    explicit ChannelReport(ParentChannel& channel) : m_channel(channel) {}

    void BeginConversion() { m_lastProgress = std::chrono::steady_clock::now(); }

    void SetBar1(int, std::optional<std::string>) override {}
    void SetBar2(int position, std::optional<std::string>) override {
        const auto now = std::chrono::steady_clock::now();
        if (now - m_lastProgress >= kProgressInterval) {
            m_lastProgress = now;
            m_channel.Write(EncodeProgress(position));
        }
    }
    void AddLogLines(std::optional<std::string> lower, std::optional<std::string> upper) override {
        m_channel.Write(EncodeLog({std::move(lower), std::move(upper)}));
    }

private:
    ParentChannel& m_channel;
    std::chrono::steady_clock::time_point m_lastProgress{};
};

class HostSession {
public:
    explicit HostSession(ParentChannel& channel) : m_channel(channel), m_report(channel) {}

    // False when the request is not one the program sends: the exchange is broken.
    bool Handle(const HostFrame& frame) {
        switch (frame.type) {
            case HostMessage::Load:
                return Load(DecodeLoad(frame.fields));
            case HostMessage::MeterArchive:
            case HostMessage::AssembledRecords:
                return Convert(frame.type, DecodeRecords(frame.fields));
            default:
                return false;
        }
    }

    void Unload() { m_table.UnloadDrivers(); }

private:
    bool Load(const std::optional<LoadRequest>& request) {
        if (!request) {
            return false;
        }
        std::vector<std::filesystem::path> files;
        for (const auto& library : request->libraries) {
            files.push_back(PathFromUtf8(library));
        }
        m_table.UnloadDrivers();
        m_table.LoadLibraries(files, [this](std::size_t library) {
            m_channel.Write(EncodeCalling(static_cast<std::uint32_t>(library)));
        });
        std::vector<LoadedDriver> loaded;
        for (int i = 0; i < m_table.Count(); ++i) {
            loaded.push_back({static_cast<std::uint32_t>(m_table.Library(i)), m_table.Name(i)});
        }
        return m_channel.Write(EncodeLoaded(loaded));
    }

    bool Convert(HostMessage type, const std::optional<RecordsRequest>& request) {
        if (!request) {
            return false;
        }
        m_report.BeginConversion();
        const auto path = PathFromUtf8(request->path);
        BoundedOutput output;
        RenderedRecords rendered;
        MeterArchiveRun archive;
        if (type == HostMessage::MeterArchive) {
            archive = m_calls.RenderMeterArchive(path, nullptr, output, m_report);
            rendered.done = archive.run == DriverRun::Done;
            rendered.endedCleanly = archive.endedCleanly;
            rendered.stopOffset = archive.stopOffset;
            rendered.opened = archive.opened;
            rendered.type = archive.type;
            rendered.serial = archive.serial;
            rendered.virtualNumber = archive.virtualNumber;
        } else {
            output.Stream().write(request->prefix.data(),
                                  static_cast<std::streamsize>(request->prefix.size()));
            const auto image = ReadAssembledArchive(path);
            const DriverJob job{path, request->type, request->virtualDevice, nullptr};
            rendered.done = image && m_calls.ConvertAssembledRecords(job, *image, output,
                                                                     m_report) == DriverRun::Done;
        }
        rendered.limitReached = output.ReachedLimit();
        const std::string_view text = output.Text();
        rendered.text = text.substr(std::min(request->prefix.size(), text.size()));
        return m_channel.Write(EncodeRendered(rendered));
    }

    ParentChannel& m_channel;
    ChannelReport m_report;
    DriverTable m_table;
    LocalDriverCalls m_calls{m_table};
};

}  // namespace

int RunDriverHost() {
    auto channel = ParentChannel::Take();
    if (!channel || !channel->Write(EncodeHello())) {
        return 2;
    }
    HostSession session(*channel);
    HostFrameSplitter frames;
    std::vector<std::uint8_t> chunk(kReadChunk);
    for (;;) {
        const auto frame = frames.Next();
        if (frame && frame->type == HostMessage::Exit) {
            break;
        }
        if (frame) {
            if (!session.Handle(*frame)) {
                return 3;
            }
            continue;
        }
        const std::size_t got = frames.Broken() ? 0 : channel->Read(chunk);
        if (got == 0) {
            return 3;
        }
        frames.Append(std::span<const std::uint8_t>(chunk.data(), got));
    }
    session.Unload();
    return 0;
}

}  // namespace zep
