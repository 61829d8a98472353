// The faults a simulated device is told to commit, read from their command-line form.
#include <array>
#include <charconv>
#include <utility>

#include "tools/sim/sim_options.h"

namespace zep::sim {

namespace {

constexpr std::array<std::pair<FaultKind, std::string_view>, 11> kKinds{{
    {FaultKind::Silence, "silence"},
    {FaultKind::BadCrc, "badcrc"},
    {FaultKind::BadHeaderCrc, "badheadercrc"},
    {FaultKind::BadStatus, "badstatus"},
    {FaultKind::Truncate, "truncate"},
    {FaultKind::ErrorReply, "error"},
    {FaultKind::MissingKey, "missingkey"},
    {FaultKind::Garbage, "garbage"},
    {FaultKind::Unplug, "unplug"},
    {FaultKind::RefuseSpeed, "refusespeed"},
    {FaultKind::Endless, "endless"},
}};

std::optional<int> ParseCount(std::string_view text) {
    int value = 0;
    const auto [end, error] = std::from_chars(text.data(), text.data() + text.size(), value);
    if (error != std::errc() || end != text.data() + text.size() || value < 0) {
        return std::nullopt;
    }
    return value;
}

bool ApplySetting(SimFault& fault, std::string_view setting) {
    const auto equals = setting.find('=');
    if (equals == std::string_view::npos) {
        return false;
    }
    const auto key = setting.substr(0, equals);
    const auto value = setting.substr(equals + 1);
    if (key == "cmd") {
        fault.command = std::string(value);
        return true;
    }
    if (key == "times" && value == "always") {
        fault.times = 0;
        return true;
    }
    const auto number = ParseCount(value);
    if (!number) {
        return false;
    }
    if (key == "skip") {
        fault.skip = *number;
    } else if (key == "times") {
        fault.times = *number;
    } else if (key == "at") {
        fault.at = *number;
    } else {
        return false;
    }
    return true;
}

}  // namespace

std::string_view FaultKindName(FaultKind kind) {
    for (const auto& [known, name] : kKinds) {
        if (known == kind) {
            return name;
        }
    }
    return "?";
}

std::optional<SimFault> ParseFault(std::string_view text) {
    const auto comma = text.find(',');
    const auto kindName = text.substr(0, comma);
    SimFault fault;
    bool known = false;
    for (const auto& [kind, name] : kKinds) {
        if (name == kindName) {
            fault.kind = kind;
            known = true;
        }
    }
    if (!known) {
        return std::nullopt;
    }
    auto rest = comma == std::string_view::npos ? std::string_view() : text.substr(comma + 1);
    while (!rest.empty()) {
        const auto next = rest.find(',');
        if (!ApplySetting(fault, rest.substr(0, next))) {
            return std::nullopt;
        }
        rest = next == std::string_view::npos ? std::string_view() : rest.substr(next + 1);
    }
    return fault;
}

}  // namespace zep::sim
