// What the program reads from its driver host, which runs other people's code: any bytes, cut
// into frames in pieces of the sizes reads deliver (the first byte chooses the size), and every
// frame's fields decoded as each message of the exchange; what decodes is encoded again.
#include <algorithm>
#include <cstdint>
#include <span>

#include "convert/host_protocol.h"

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    if (size == 0) {
        return 0;
    }
    const std::size_t piece = data[0] % 64 + 1;
    zep::HostFrameSplitter splitter;
    for (std::size_t at = 1; at < size; at += piece) {
        splitter.Append(std::span(data + at, std::min(piece, size - at)));
        while (const auto frame = splitter.Next()) {
            const auto fields = frame->fields;
            (void)zep::DecodeHello(fields);
            (void)zep::DecodeCalling(fields);
            (void)zep::DecodeLoaded(fields);
            (void)zep::DecodeLog(fields);
            (void)zep::DecodeProgress(fields);
            (void)zep::DecodeLoad(fields);
            // What decodes must encode to a frame that decodes the same.
            if (const auto rendered = zep::DecodeRendered(fields)) {
                const auto frame = zep::EncodeRendered(*rendered);
                const auto again =
                    zep::DecodeRendered(std::span(frame).subspan(zep::kHostFrameHeader));
                if (!again || again->text != rendered->text || again->type != rendered->type) {
                    __builtin_trap();
                }
            }
            if (const auto records = zep::DecodeRecords(fields)) {
                const auto frame = zep::EncodeRecords(zep::HostMessage::AssembledRecords, *records);
                const auto again =
                    zep::DecodeRecords(std::span(frame).subspan(zep::kHostFrameHeader));
                if (!again || again->path != records->path || again->prefix != records->prefix) {
                    __builtin_trap();
                }
            }
        }
        (void)splitter.Missing();
    }
    return 0;
}
