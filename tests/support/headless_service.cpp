// Runs the real service in a folder of its own from a shell script, with the conditions the
// service tests wait for and the helpers that read what it left behind.
#include "tests/support/headless_service.h"

#include <cctype>
#include <cstdlib>
#include <filesystem>

namespace zep::test {

namespace {

bool EndsWith(const std::string& name, const std::string& tail) {
    return name.size() >= tail.size() &&
           name.compare(name.size() - tail.size(), tail.size(), tail) == 0;
}

int NumberIn(const std::filesystem::path& file) {
    const std::string text = ReadFileText(file);
    if (text.empty() || !std::isdigit(static_cast<unsigned char>(text[0]))) {
        return -1;
    }
    return std::stoi(text);
}

}  // namespace

std::string WaitFor(const std::string& condition) {
    return "i=0; while [ $i -lt 300 ] && ! { " + condition +
           "; }; do sleep 0.1; i=$((i+1)); done; ";
}

std::string BinaryFolder() {
    return std::string(ZEP_BINARY_DIR) + "/bin";
}
std::string DriverFolder() {
    return std::string(ZEP_BINARY_DIR) + "/drivers";
}

HeadlessRun RunHeadless(const TempDir& dir, const ServiceScript& script) {
    std::filesystem::create_directories(dir / "program");
    std::filesystem::create_directories(dir / "config");
    const std::string folder = dir.path().string();
    std::string shell = "cd '" + folder + "' || exit 1; export XDG_CONFIG_HOME='" + folder +
                        "/config' " + script.environment + "; " + script.before;
    shell += "'" + BinaryFolder() + "/zepimport' --headless --program-dir '" + folder +
             "/program' >'" + script.output + "' 2>err.txt & pid=$!; ";
    // Running, and not merely waiting to be reaped.
    shell +=
        "alive() { [ -d /proc/$pid ] && ! grep -q '^State:[[:space:]]*Z' /proc/$pid/status "
        "2>/dev/null; }; ";
    if (script.guardMemory) {
        shell +=
            "( while alive; do kb=$(sed -n 's/^VmRSS:[[:space:]]*\\([0-9]*\\).*/\\1/p' "
            "/proc/$pid/status 2>/dev/null); if [ \"${kb:-0}\" -gt 1048576 ]; then kill -KILL "
            "$pid; fi; "
            "sleep 0.1; done ) & ";
    }
    shell += WaitFor(script.started);
    shell += script.afterStart;
    if (!script.waitUntil.empty()) {
        shell += WaitFor(script.waitUntil);
    }
    shell += "if kill -0 $pid; then echo 1 >alive.txt; fi; ";
    shell += "sed -n 's/^VmHWM:[[:space:]]*//p' /proc/$pid/status >peak.txt 2>/dev/null; ";
    shell += "kill -" + script.signal + " $pid; ";
    shell +=
        "i=0; while [ $i -lt 300 ] && alive; do sleep 0.1; i=$((i+1)); done; echo $i >ended.txt; ";
    shell += "if alive; then kill -KILL $pid; fi; wait $pid; echo $? >status.txt";
    HeadlessRun run;
    if (std::system(shell.c_str()) == 0) {
        run.status = NumberIn(dir / "status.txt");
    }
    run.aliveAtSignal = ReadFileText(dir / "alive.txt").starts_with("1");
    run.peakKb = NumberIn(dir / "peak.txt");
    run.endTenths = NumberIn(dir / "ended.txt");
    run.out = ReadFileText(dir / "out.txt");
    run.err = ReadFileText(dir / "err.txt");
    return run;
}

std::string OutputHas(const std::string& text) {
    return "grep -qF '" + text + "' out.txt";
}

std::string OutputHasTimes(const std::string& text, int count) {
    return "[ $(grep -cF '" + text + "' out.txt) -ge " + std::to_string(count) + " ]";
}

std::string FolderHolds(const std::string& folder, const std::string& extension, int count) {
    return "[ $(ls '" + folder + "' | grep -c '[.]" + extension.substr(1) + "$') -ge " +
           std::to_string(count) + " ]";
}

std::string StartDevice(const std::string& program, const std::string& arguments, int port) {
    const std::string link = "config/zepimport/ports/COM" + std::to_string(port);
    return "'" + BinaryFolder() + "/" + program + "' " + arguments + " --com " +
           std::to_string(port) + " >sim.txt 2>&1 & sim=$!; trap 'kill $sim; wait $sim' EXIT; " +
           "i=0; while [ $i -lt 100 ] && [ ! -e " + link + " ]; do sleep 0.1; i=$((i+1)); done; ";
}

void ConfigureDispatch(const TempDir& dir) {
    std::filesystem::create_directories(dir / "import");
    std::filesystem::create_directories(dir / "config" / "Kestrom");
    WriteFileText(
        dir / "config" / "Kestrom" / "Velmora.conf",
        "[General]\nDrivers=" + DriverFolder() + "\nImport=" + (dir / "import").string() + "\n");
}

void WriteSettings(const TempDir& dir, const std::string& text) {
    std::filesystem::create_directories(dir / "program");
    WriteFileText(dir / "program" / "zepimport.ini", text);
}

std::vector<std::string> RawFiles(const TempDir& dir) {
    std::vector<std::string> raw;
    for (const auto& name : ListFiles(dir / "program")) {
        if (EndsWith(name, ".bia") || EndsWith(name, ".bil") || EndsWith(name, ".bin")) {
            raw.push_back(name);
        }
    }
    return raw;
}

std::vector<std::string> ImportFiles(const TempDir& dir) {
    std::vector<std::string> imports;
    for (const auto& name : ListFiles(dir / "import")) {
        if (EndsWith(name, ".imp")) {
            imports.push_back(name);
        }
    }
    return imports;
}

std::string ImportHeaderValue(const std::string& importText, const std::string& key) {
    const std::size_t end = importText.find("[DEVICE_END]");
    const std::string wanted = "\r\n" + key + "=";
    const std::size_t at = importText.find(wanted);
    if (at == std::string::npos || at > end) {
        return {};
    }
    const std::size_t value = at + wanted.size();
    return importText.substr(value, importText.find("\r\n", value) - value);
}

}  // namespace zep::test
