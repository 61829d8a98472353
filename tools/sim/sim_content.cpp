// What the simulated devices hold: archives built from given records, generated with realistic
// sizes and readings, or read from a folder.
#include "tools/sim/sim_content.h"

#include <algorithm>
#include <array>
#include <bit>
#include <cctype>
#include <chrono>
#include <cstdio>
#include <fstream>
#include <iterator>
#include <random>

#include "tools/sim/sim_cp1251.h"
#include "tools/sim/sim_crc.h"

namespace zep::sim {

namespace {

// Names of heat systems as dispatchers type them (at most 14 bytes: a Kolvar record keeps the
// name in 15 bytes with its terminator).
constexpr std::array<std::string_view, 6> kPlaces = {"Котельная 1", "ЦТП-3",      "Школа 12",
                                                     "Поликлиника", "Дом Мира 5", "Баня"};

constexpr std::time_t kFirstReading = 1167609600;  // 2007-01-01 00:00 UTC

void PutLe16(std::vector<std::uint8_t>& out, std::size_t value) {
    out.push_back(static_cast<std::uint8_t>(value & 0xFFu));
    out.push_back(static_cast<std::uint8_t>((value >> 8) & 0xFFu));
}

void PutBe16(std::vector<std::uint8_t>& out, std::size_t value) {
    out.push_back(static_cast<std::uint8_t>((value >> 8) & 0xFFu));
    out.push_back(static_cast<std::uint8_t>(value & 0xFFu));
}

void PutLe32(std::vector<std::uint8_t>& out, std::uint32_t value) {
    for (int shift = 0; shift < 32; shift += 8) {
        out.push_back(static_cast<std::uint8_t>((value >> shift) & 0xFFu));
    }
}

void PutFloat(std::vector<std::uint8_t>& out, float value) {
    PutLe32(out, std::bit_cast<std::uint32_t>(value));
}

void PutText(std::vector<std::uint8_t>& out, std::string_view text) {
    out.insert(out.end(), text.begin(), text.end());
    out.push_back(0);
}

// Digits separated by other characters, as the collectors write a time: 5.3.2007 9:07.
std::string TimeText(std::time_t time) {
    using namespace std::chrono;
    const auto point = sys_seconds(seconds(time));
    const auto day = floor<days>(point);
    const year_month_day date(day);
    const hh_mm_ss clock(point - day);
    char text[32];
    std::snprintf(text, sizeof text, "%u.%u.%d %d:%02d", static_cast<unsigned>(date.day()),
                  static_cast<unsigned>(date.month()), static_cast<int>(date.year()),
                  static_cast<int>(clock.hours().count()),
                  static_cast<int>(clock.minutes().count()));
    return text;
}

std::string SerialFor(std::mt19937& random) {
    return std::to_string(std::uniform_int_distribution<int>(100000, 999999)(random));
}

std::string PlaceFor(std::mt19937& random) {
    return EncodeCp1251(
        kPlaces[std::uniform_int_distribution<std::size_t>(0, kPlaces.size() - 1)(random)]);
}

// One reading: time, heat, masses forward and back, the two temperatures, hours of operation.
std::vector<std::uint8_t> Reading(std::mt19937& random, std::time_t time, float hours) {
    std::uniform_real_distribution<float> spread(0.9f, 1.1f);
    std::vector<std::uint8_t> data;
    PutLe32(data, static_cast<std::uint32_t>(time));
    const float forward = 12.5f * spread(random);
    const float t1 = 85.0f * spread(random);
    const float t2 = 55.0f * spread(random);
    PutFloat(data, forward * (t1 - t2) / 1000.0f * hours);
    PutFloat(data, forward * hours);
    PutFloat(data, forward * 0.98f * hours);
    PutFloat(data, t1);
    PutFloat(data, t2);
    PutFloat(data, hours);
    return data;
}

std::optional<std::vector<std::uint8_t>> ReadWholeFile(const std::filesystem::path& file) {
    std::ifstream in(file, std::ios::binary);
    if (!in) {
        return std::nullopt;
    }
    return std::vector<std::uint8_t>(std::istreambuf_iterator<char>(in), {});
}

std::optional<std::vector<std::filesystem::path>> FilesIn(const std::filesystem::path& folder) {
    std::error_code error;
    std::vector<std::filesystem::path> files;
    for (std::filesystem::directory_iterator it(folder, error), end; !error && it != end;
         it.increment(error)) {
        if (it->is_regular_file(error)) {
            files.push_back(it->path());
        }
    }
    if (error) {
        return std::nullopt;
    }
    std::sort(files.begin(), files.end());
    return files;
}

std::vector<std::string> SplitTitle(std::span<const std::uint8_t> area) {
    std::vector<std::string> strings;
    std::string current;
    for (const std::uint8_t byte : area) {
        if (byte == 0) {
            strings.push_back(current);
            current.clear();
        } else {
            current.push_back(static_cast<char>(byte));
        }
    }
    return strings;
}

std::vector<std::uint8_t> VolumeHead(std::span<const std::uint8_t> area, std::size_t number) {
    auto strings = SplitTitle(area);
    std::vector<std::uint8_t> head;
    if (strings.size() < 6) {
        PutBe16(head, area.size());
        head.insert(head.end(), area.begin(), area.end());
        return head;
    }
    strings[5] = std::to_string(number);
    std::vector<std::uint8_t> title;
    for (const auto& text : strings) {
        PutText(title, text);
    }
    // Bytes behind the last terminator belong to the area too.
    std::size_t tail = area.size();
    while (tail > 0 && area[tail - 1] != 0) {
        --tail;
    }
    title.insert(title.end(), area.begin() + static_cast<std::ptrdiff_t>(tail), area.end());
    PutBe16(head, title.size());
    head.insert(head.end(), title.begin(), title.end());
    return head;
}

}  // namespace

std::vector<std::uint8_t> BuildMeterArchive(std::string_view headerText,
                                            const std::vector<ArchiveRecord>& records) {
    std::vector<std::uint8_t> text(headerText.begin(), headerText.end());
    text.push_back(0);
    std::vector<std::uint8_t> out = {'t', 'e', 's', 's', 1, 0};
    PutLe16(out, text.size() + 2);
    out.insert(out.end(), text.begin(), text.end());
    PutLe16(out, SimCrc16(text));
    for (const auto& record : records) {
        if (record.data.size() > 0xFFFF - 4) {
            continue;
        }
        std::vector<std::uint8_t> body = {'T', record.kind};
        body.insert(body.end(), record.data.begin(), record.data.end());
        PutLe16(out, body.size() + 2);
        out.insert(out.end(), body.begin(), body.end());
        PutLe16(out, SimCrc16(body));
    }
    return out;
}

std::vector<std::uint8_t> BuildAssembledArchive(const std::vector<std::string>& titleStrings,
                                                const std::vector<ArchiveRecord>& records) {
    std::vector<std::uint8_t> title;
    for (const auto& text : titleStrings) {
        PutText(title, text);
    }
    std::vector<std::uint8_t> out;
    PutBe16(out, title.size());
    out.insert(out.end(), title.begin(), title.end());
    for (const auto& record : records) {
        if (record.data.size() > 0xFFFF) {
            continue;
        }
        out.push_back('T');
        out.push_back(record.kind);
        PutBe16(out, record.data.size());
        out.insert(out.end(), record.data.begin(), record.data.end());
    }
    return out;
}

std::vector<std::vector<std::uint8_t>> SplitIntoVolumes(std::span<const std::uint8_t> image,
                                                        std::size_t maxVolumeData) {
    const std::size_t titleLength = image.size() >= 2 ? (std::size_t{image[0]} << 8) | image[1] : 0;
    if (image.size() < 2 || image.size() < 2 + titleLength) {
        return {std::vector<std::uint8_t>(image.begin(), image.end())};
    }
    const auto area = image.subspan(2, titleLength);
    const auto records = image.subspan(2 + titleLength);
    const std::size_t firstRoom =
        maxVolumeData > 2 + titleLength ? maxVolumeData - 2 - titleLength : 1;
    std::size_t taken = std::min(firstRoom, records.size());
    std::vector<std::vector<std::uint8_t>> volumes;
    volumes.emplace_back(image.begin(),
                         image.begin() + static_cast<std::ptrdiff_t>(2 + titleLength + taken));
    while (taken < records.size()) {
        auto volume = VolumeHead(area, volumes.size() + 1);
        const std::size_t room = maxVolumeData > volume.size() ? maxVolumeData - volume.size() : 1;
        const std::size_t count = std::min(room, records.size() - taken);
        const auto piece = records.subspan(taken, count);
        volume.insert(volume.end(), piece.begin(), piece.end());
        volumes.push_back(std::move(volume));
        taken += count;
    }
    return volumes;
}

std::vector<ArchiveRecord> GenerateReadings(unsigned seed, int count, std::time_t start) {
    std::mt19937 random(seed);
    std::vector<ArchiveRecord> records;
    // Kind 0: the totals at the time of reading; kind 1: hourly; kind 2: daily.
    std::vector<std::uint8_t> totals = Reading(random, start + count * 3600, 1.0f);
    PutFloat(totals, 15234.5f);
    PutFloat(totals, 3.25f);
    records.push_back({0, std::move(totals)});
    for (int hour = 0; hour < count; ++hour) {
        const std::time_t time = start + hour * 3600;
        records.push_back({1, Reading(random, time, 1.0f)});
        if (hour % 24 == 23) {
            records.push_back({2, Reading(random, time, 24.0f)});
        }
    }
    return records;
}

std::vector<ZepFile> GenerateZepFiles(int count, unsigned seed) {
    std::mt19937 random(seed);
    std::vector<ZepFile> files;
    for (int index = 0; index < count; ++index) {
        const std::string serial = SerialFor(random);
        if (index % 4 == 3) {
            std::string text = EncodeCp1251("Протокол поверки прибора № " + serial + "\r\n");
            const int lines = std::uniform_int_distribution<int>(20, 400)(random);
            for (int line = 0; line < lines; ++line) {
                text += EncodeCp1251("Строка " + std::to_string(line + 1) +
                                     ": расход в норме, температура в норме\r\n");
            }
            files.push_back({"PRN_" + serial + ".zvo", {text.begin(), text.end()}});
            continue;
        }
        const int virtualDevice = std::uniform_int_distribution<int>(1, 3)(random);
        const std::time_t start =
            kFirstReading + 86400 * std::uniform_int_distribution<int>(0, 700)(random);
        const std::string header =
            "Type=M1\nSerial=" + serial + "\nVirtual=" + std::to_string(virtualDevice) +
            "\nVname=" + PlaceFor(random) + "\nTime=" + TimeText(start) + "\n";
        const int hours = std::uniform_int_distribution<int>(30, 1800)(random);
        files.push_back({"M1_" + serial + ".zep",
                         BuildMeterArchive(header, GenerateReadings(random(), hours, start))});
    }
    return files;
}

TessalDatabase GenerateTessalDatabase(int count, unsigned seed) {
    std::mt19937 random(seed);
    TessalDatabase database;
    for (int index = 0; index < count; ++index) {
        const std::time_t start =
            kFirstReading + 86400 * std::uniform_int_distribution<int>(0, 700)(random);
        const std::string virtualList = (index % 3 == 2) ? "1,2" : "1";
        const std::vector<std::string> title = {
            TimeText(start), "M1", virtualList, PlaceFor(random), SerialFor(random), "1"};
        const int hours = std::uniform_int_distribution<int>(40, 1900)(random);
        const auto image = BuildAssembledArchive(title, GenerateReadings(random(), hours, start));
        database.archives.push_back(
            {SplitIntoVolumes(image, 8192), "archive " + std::to_string(index + 1)});
    }
    return database;
}

std::vector<KolvarRecord> GenerateKolvarRecords(int count, unsigned seed) {
    std::mt19937 random(seed);
    std::vector<KolvarRecord> records;
    for (int index = 0; index < count; ++index) {
        const std::time_t start =
            kFirstReading + 86400 * std::uniform_int_distribution<int>(0, 700)(random);
        std::vector<std::uint8_t> bytes(177, 0);
        const std::string texts[3] = {PlaceFor(random), SerialFor(random), TimeText(start)};
        const std::size_t offsets[3] = {0, 15, 30};
        for (int text = 0; text < 3; ++text) {
            std::copy(texts[text].begin(), texts[text].end(),
                      bytes.begin() + static_cast<std::ptrdiff_t>(offsets[text]));
        }
        // 49..144: 24 current values; 145..176: 8 settings words; then hourly readings.
        std::vector<std::uint8_t> values;
        for (int value = 0; value < 24; ++value) {
            PutFloat(values, std::uniform_real_distribution<float>(0.0f, 100.0f)(random));
        }
        for (int setting = 0; setting < 8; ++setting) {
            PutLe32(values, static_cast<std::uint32_t>(random() % 1000));
        }
        std::copy(values.begin(), values.end(), bytes.begin() + 49);
        const int hours = std::uniform_int_distribution<int>(20, 1000)(random);
        for (int hour = 0; hour < hours; ++hour) {
            const auto reading = Reading(random, start + hour * 3600, 1.0f);
            bytes.insert(bytes.end(), reading.begin(), reading.end());
        }
        records.push_back({std::move(bytes), "record " + std::to_string(index + 1)});
    }
    return records;
}

std::optional<std::vector<ZepFile>> LoadZepFiles(const std::filesystem::path& folder) {
    const auto paths = FilesIn(folder);
    if (!paths) {
        return std::nullopt;
    }
    std::vector<ZepFile> files;
    for (const auto& path : *paths) {
        if (auto bytes = ReadWholeFile(path)) {
            files.push_back({path.filename().string(), std::move(*bytes)});
        }
    }
    return files;
}

std::optional<TessalDatabase> LoadTessalDatabase(const std::filesystem::path& folder,
                                                 std::size_t maxVolumeData) {
    const auto paths = FilesIn(folder);
    if (!paths) {
        return std::nullopt;
    }
    TessalDatabase database;
    for (const auto& path : *paths) {
        std::string extension = path.extension().string();
        std::transform(extension.begin(), extension.end(), extension.begin(),
                       [](unsigned char c) { return static_cast<char>(std::tolower(c)); });
        if (extension != ".bin") {
            continue;
        }
        if (auto bytes = ReadWholeFile(path)) {
            database.archives.push_back(
                {SplitIntoVolumes(*bytes, maxVolumeData), path.filename().string()});
        }
    }
    return database;
}

std::optional<std::vector<KolvarRecord>> LoadKolvarRecords(const std::filesystem::path& folder) {
    const auto paths = FilesIn(folder);
    if (!paths) {
        return std::nullopt;
    }
    std::vector<KolvarRecord> records;
    for (const auto& path : *paths) {
        if (auto bytes = ReadWholeFile(path)) {
            records.push_back({std::move(*bytes), path.filename().string()});
        }
    }
    return records;
}

}  // namespace zep::sim
