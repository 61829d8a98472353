// The pieces of the import history that need no file: the hash and the check word against
// their published values, the table of known archives, and the entry layout that tells a torn
// entry from a whole one.
#include <gtest/gtest.h>

#include <cstdio>
#include <random>
#include <string>
#include <vector>

#include "core/crc32.h"
#include "core/history_record.h"
#include "core/known_archives.h"

namespace zep {
namespace {

std::span<const std::uint8_t> Bytes(const std::string& text) {
    return std::span(reinterpret_cast<const std::uint8_t*>(text.data()), text.size());
}

std::string Hex(std::span<const std::uint8_t> bytes) {
    std::string text;
    char pair[3];
    for (const std::uint8_t byte : bytes) {
        std::snprintf(pair, sizeof pair, "%02x", byte);
        text += pair;
    }
    return text;
}

ArchiveKey RandomKey(std::mt19937_64& random) {
    ArchiveKey key;
    for (auto& byte : key.digest) {
        byte = static_cast<std::uint8_t>(random());
    }
    key.length = random() % 100000;
    return key;
}

TEST(Blake2b, PublishedVectorsWholeAndInPieces) {
    Blake2b rfc(64);  // RFC 7693, appendix A
    rfc.Add(Bytes("abc"));
    EXPECT_EQ(Hex(rfc.Finish()),
              "ba80a53f981c4d0d6a2797b69f12f6e94c212f14685ac4b74b12bb6fdbffa2d17d87c5392aab792dc"
              "252d5de4533cc9518d38aa8dbf1925ab92386edd4009923");
    EXPECT_EQ(Hex(ArchiveKeyOf(Bytes("")).digest),
              "0e5751c026e543b2e8ab2eb06099daa1d1e5df47778f7787faab45cdf12fe3a8");
    EXPECT_EQ(Hex(ArchiveKeyOf(Bytes("abc")).digest),
              "bddd813c634239723171ef3fee98579b94964e3bb1cb3e427262c8c068d52319");
    // 1025 bytes cross several block edges; any split into pieces gives the same digest.
    std::vector<std::uint8_t> data;
    for (int i = 0; i < 1024; ++i) {
        data.push_back(static_cast<std::uint8_t>(i));
    }
    data.push_back('x');
    const std::string expected = "c374b2f6691d48b7aab5f898227b4bbe2bee9f885d1140fbe15ecb3ab5d01b8f";
    for (const std::size_t piece : {1u, 127u, 128u, 129u, 1025u}) {
        ArchiveKeyBuilder builder;
        for (std::size_t at = 0; at < data.size(); at += piece) {
            builder.Add(std::span(data).subspan(at, std::min(piece, data.size() - at)));
        }
        const ArchiveKey key = builder.Finish();
        EXPECT_EQ(Hex(key.digest), expected) << piece;
        EXPECT_EQ(key.length, 1025u);
    }
}

TEST(Crc32, CheckValue) {
    EXPECT_EQ(Crc32(Bytes("123456789")), 0xCBF43926u);
}

TEST(KnownArchives, EveryKeyInsertedIsFoundOnceAndNoOther) {
    std::mt19937_64 random(5);
    std::vector<ArchiveKey> keys;
    for (int i = 0; i < 50000; ++i) {
        keys.push_back(RandomKey(random));
    }
    KnownArchives known;
    for (const auto& key : keys) {
        EXPECT_TRUE(known.Insert(key));
    }
    EXPECT_FALSE(known.Insert(keys[123]));
    EXPECT_EQ(known.Size(), keys.size());
    for (const auto& key : keys) {
        ASSERT_TRUE(known.Contains(key));
    }
    ArchiveKey sameDigestOtherLength = keys[7];
    sameDigestOtherLength.length += 1;
    EXPECT_FALSE(known.Contains(sameDigestOtherLength));
    for (int i = 0; i < 1000; ++i) {
        EXPECT_FALSE(known.Contains(RandomKey(random)));
    }
}

TEST(HistoryEntry, WholeEntriesComeBackAndTornOnesAreRefused) {
    std::mt19937_64 random(9);
    const HistoryEntry entry{HistoryKind::OutputPublished, 513, 1796619600, RandomKey(random)};
    const HistoryEntryBytes bytes = EncodeHistoryEntry(entry);
    const auto decoded = DecodeHistoryEntry(bytes);
    ASSERT_TRUE(decoded.has_value());
    EXPECT_EQ(decoded->kind, entry.kind);
    EXPECT_EQ(decoded->output, entry.output);
    EXPECT_EQ(decoded->time, entry.time);
    EXPECT_EQ(decoded->key, entry.key);

    EXPECT_FALSE(DecodeHistoryEntry(std::span(bytes).first(kHistoryEntrySize - 1)));
    EXPECT_FALSE(DecodeHistoryEntry(HistoryEntryBytes{}));  // zeros a power cut left behind
    for (std::size_t at : {0u, 5u, 20u, 51u}) {
        HistoryEntryBytes spoilt = bytes;
        spoilt[at] ^= 0x10;
        EXPECT_FALSE(DecodeHistoryEntry(spoilt)) << at;
    }

    auto header = HistoryHeader();
    EXPECT_EQ(CheckHistoryHeader(header), HistoryHeaderCheck::Ours);
    header[8] = kHistoryVersion + 1;
    EXPECT_EQ(CheckHistoryHeader(header), HistoryHeaderCheck::Newer);
    header = HistoryHeader();
    header[12] = 40;  // another entry size with our version
    EXPECT_EQ(CheckHistoryHeader(header), HistoryHeaderCheck::Foreign);
    EXPECT_EQ(CheckHistoryHeader(Bytes("[General]\nm_port=1\n")), HistoryHeaderCheck::Foreign);
}

}  // namespace
}  // namespace zep
