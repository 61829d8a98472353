// Standard output and error in a console window: the program's UTF-8 text reaches the console
// as Unicode (WriteConsoleW), whatever code page the console uses, and colour codes are shown
// where the console interprets them. Output to a file or a pipe stays UTF-8 bytes.
#include <iostream>
#include <optional>
#include <streambuf>
#include <string>

#include "core/utf8_text.h"
#include "platform/console.h"
#include "platform/win32/windows_api.h"

namespace zep {

namespace {

// Collects bytes up to a line end (or a full buffer) and writes them as UTF-16; a UTF-8
// sequence cut by a full buffer waits for its remaining bytes.
class ConsoleBuffer : public std::streambuf {
public:
    explicit ConsoleBuffer(HANDLE console) : m_console(console) {}

protected:
    int_type overflow(int_type c) override {
        if (traits_type::eq_int_type(c, traits_type::eof())) {
            return sync() == 0 ? traits_type::not_eof(c) : traits_type::eof();
        }
        m_pending += traits_type::to_char_type(c);
        if (c == '\n' || m_pending.size() >= kFlushSize) {
            Write();
        }
        return c;
    }
    int sync() override {
        Write();
        return 0;
    }

private:
    static constexpr std::size_t kFlushSize = 4096;

    // Bytes at the end that begin a UTF-8 sequence not yet complete.
    static std::size_t IncompleteTail(const std::string& text) {
        for (std::size_t back = 1; back <= 3 && back <= text.size(); ++back) {
            const auto byte = static_cast<unsigned char>(text[text.size() - back]);
            if ((byte & 0xC0) == 0x80) {
                continue;
            }
            const std::size_t needed = byte >= 0xF0 ? 4 : byte >= 0xE0 ? 3 : byte >= 0xC0 ? 2 : 1;
            return needed > back ? back : 0;
        }
        return 0;
    }

    void Write() {
        const std::size_t keep = m_pending.size() < kFlushSize ? 0 : IncompleteTail(m_pending);
        const std::wstring wide =
            Widen(std::string_view(m_pending).substr(0, m_pending.size() - keep));
        DWORD written = 0;
        if (!wide.empty()) {
            WriteConsoleW(m_console, wide.data(), static_cast<DWORD>(wide.size()), &written,
                          nullptr);
        }
        m_pending.erase(0, m_pending.size() - keep);
    }

    HANDLE m_console;
    std::string m_pending;
};

// Set up once, before main: a stream that goes to a console gets the Unicode writer, and gets
// its own buffer back at the end so that the last flush of the runtime finds a live one.
class ConsoleStreams {
public:
    ConsoleStreams() : m_out(Attach(STD_OUTPUT_HANDLE)), m_err(Attach(STD_ERROR_HANDLE)) {
        m_out.Install(std::cout);
        m_err.Install(std::cerr);
    }
    ~ConsoleStreams() {
        m_out.Detach(std::cout);
        m_err.Detach(std::cerr);
    }
    ConsoleStreams(const ConsoleStreams&) = delete;
    ConsoleStreams& operator=(const ConsoleStreams&) = delete;

    bool StdoutShowsColours() const { return m_out.colours; }

private:
    struct Stream {
        std::optional<ConsoleBuffer> buffer;
        std::streambuf* original = nullptr;
        bool colours = false;

        void Install(std::ostream& stream) {
            if (buffer) {
                original = stream.rdbuf(&*buffer);
            }
        }
        void Detach(std::ostream& stream) {
            if (buffer) {
                stream.flush();
                stream.rdbuf(original);
            }
        }
    };

    static Stream Attach(DWORD which) {
        Stream attached;
        const HANDLE handle = GetStdHandle(which);
        DWORD mode = 0;
        if (handle == INVALID_HANDLE_VALUE || handle == nullptr || !GetConsoleMode(handle, &mode)) {
            return attached;
        }
        attached.colours = SetConsoleMode(handle, mode | ENABLE_VIRTUAL_TERMINAL_PROCESSING) != 0;
        attached.buffer.emplace(handle);
        return attached;
    }

    Stream m_out;
    Stream m_err;
};

std::ios_base::Init g_streamsReady;
ConsoleStreams g_consoleStreams;

}  // namespace

bool StdoutIsTerminal() {
    // Colour codes only where the console shows them as colours.
    return g_consoleStreams.StdoutShowsColours();
}

}  // namespace zep
