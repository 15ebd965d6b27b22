// Today's decoder against the plain reference without a fuzzer, so that a
// build without clang keeps them equal too: the fuzz seeds, and generated
// streams (layout traffic with and without bit errors, DCC and Motorola
// spliced with stray bytes, bytes dense in record markers) with random
// switch sets, filter texts and pieces.
#include "decoder_comparison.h"
#include "layout_traffic.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <filesystem>
#include <fstream>
#include <functional>
#include <iterator>
#include <random>

namespace {

std::vector<uint8_t> ReadBytes(const std::string& path) {
    std::ifstream in(path, std::ios::binary);
    return std::vector<uint8_t>(std::istreambuf_iterator<char>(in),
                                std::istreambuf_iterator<char>());
}

std::vector<uint8_t> Traffic(TSimMode mode, uint32_t seed, double errors, std::size_t bytes) {
    TLayoutTraffic traffic(mode, seed, errors);
    std::vector<uint8_t> stream;
    while (stream.size() < bytes) {
        const TTrafficPiece piece = traffic.Next();
        stream.insert(stream.end(), piece.Bytes.begin(), piece.Bytes.end());
    }
    stream.resize(bytes);
    return stream;
}

// Pieces of DCC and Motorola traffic and of random bytes in turn, cut
// anywhere: the joins fall inside packets, records and info records.
std::vector<uint8_t> Spliced(std::mt19937& random, std::size_t bytes) {
    const std::vector<uint8_t> dcc = Traffic(TSimMode::Dcc, random(), 1e-3, bytes);
    const std::vector<uint8_t> mot = Traffic(TSimMode::Motorola, random(), 1e-3, bytes);
    std::vector<uint8_t> stream;
    while (stream.size() < bytes) {
        const std::size_t n = 1 + random() % 300;
        const std::size_t at = random() % (bytes - n);
        switch (random() % 3) {
        case 0:
            stream.insert(stream.end(), dcc.begin() + at, dcc.begin() + at + n);
            break;
        case 1:
            stream.insert(stream.end(), mot.begin() + at, mot.begin() + at + n);
            break;
        default:
            for (std::size_t i = 0; i < n % 20; ++i)
                stream.push_back(static_cast<uint8_t>(random()));
        }
    }
    return stream;
}

// Mostly the bytes framing and the Motorola collector look at.
std::vector<uint8_t> MarkerBytes(std::mt19937& random, std::size_t bytes) {
    static const uint8_t markers[] = {0xAA, 0xAA, 0xAA, 0xFF, 0xFF, 'e', 'm', '*', '1', 0x00};
    std::vector<uint8_t> stream;
    for (std::size_t i = 0; i < bytes; ++i)
        stream.push_back(random() % 4 == 0 ? static_cast<uint8_t>(random())
                                           : markers[random() % sizeof markers]);
    return stream;
}

std::vector<uint8_t> RandomBytes(std::mt19937& random, std::size_t bytes) {
    std::vector<uint8_t> stream;
    for (std::size_t i = 0; i < bytes; ++i)
        stream.push_back(static_cast<uint8_t>(random()));
    return stream;
}

struct TStreamKind {
    const char* Name;
    std::function<std::vector<uint8_t>(std::mt19937&, std::size_t)> Make;
};

const TStreamKind StreamKinds[] = {
    {"DCC traffic",
     [](std::mt19937& r, std::size_t n) { return Traffic(TSimMode::Dcc, r(), 0, n); }},
    {"DCC traffic with bit errors",
     [](std::mt19937& r, std::size_t n) { return Traffic(TSimMode::Dcc, r(), 2e-3, n); }},
    {"Motorola traffic",
     [](std::mt19937& r, std::size_t n) { return Traffic(TSimMode::Motorola, r(), 0, n); }},
    {"Motorola traffic with bit errors",
     [](std::mt19937& r, std::size_t n) { return Traffic(TSimMode::Motorola, r(), 5e-3, n); }},
    {"spliced", Spliced},
    {"record markers", MarkerBytes},
    {"random bytes", RandomBytes},
};

const char* const FilterTexts[] = {"", "0", "3", "120", "9999", "$1F", "0x40", "-5", "abc", " 7"};

// An input in the fuzz targets' layout (fuzz_input.h).
std::vector<uint8_t> FuzzInputBytes(unsigned switches, uint8_t pieceSeed, const std::string& min,
                                    const std::string& max, const std::vector<uint8_t>& stream) {
    std::vector<uint8_t> bytes = {static_cast<uint8_t>(switches & 0xFF),
                                  static_cast<uint8_t>(switches >> 8), pieceSeed};
    for (const std::string* text : {&min, &max}) {
        bytes.push_back(static_cast<uint8_t>(text->size()));
        bytes.insert(bytes.end(), text->begin(), text->end());
    }
    bytes.insert(bytes.end(), stream.begin(), stream.end());
    return bytes;
}

} // namespace

TEST(FastDecoderAgainstReference, SeedCorpus) {
    int seeds = 0;
    for (const auto& entry : std::filesystem::directory_iterator(FUZZ_SEEDS_DIR)) {
        const std::vector<uint8_t> bytes = ReadBytes(entry.path().string());
        TFuzzInput input;
        ASSERT_TRUE(ReadFuzzInput(bytes.data(), bytes.size(), input)) << entry.path();
        EXPECT_EQ(CompareDecoders(input), "") << entry.path();
        ++seeds;
    }
    EXPECT_GE(seeds, 3);
}

TEST(FastDecoderAgainstReference, GeneratedStreamsWithRandomSwitchesAndPieces) {
    std::mt19937 random(22);
    for (const TStreamKind& kind : StreamKinds) {
        for (int i = 0; i < 30; ++i) {
            const std::vector<uint8_t> stream = kind.Make(random, 2000 + random() % 10000);
            const std::vector<uint8_t> bytes =
                FuzzInputBytes(random() & 0xFFFF, static_cast<uint8_t>(random()),
                               FilterTexts[random() % 10], FilterTexts[random() % 10], stream);
            TFuzzInput input;
            ASSERT_TRUE(ReadFuzzInput(bytes.data(), bytes.size(), input));
            const std::string difference = CompareDecoders(input);
            ASSERT_EQ(difference, "") << kind.Name << ", stream " << i;
        }
    }
}

// The comparison sees what matters: with every switch on, a minute's worth
// of traffic gives lines in both logs, check box changes and restarts.
TEST(FastDecoderAgainstReference, EventsHoldLinesSwitchesAndRestarts) {
    const std::vector<uint8_t> stream = Traffic(TSimMode::Dcc, 5, 1e-3, 60 * 1920);
    const std::vector<uint8_t> bytes = FuzzInputBytes(0xFFFF, 3, "0", "9999", stream);
    TFuzzInput input;
    ASSERT_TRUE(ReadFuzzInput(bytes.data(), bytes.size(), input));
    const std::vector<std::string> events = ReferenceDecoderEvents(input);
    const auto count = [&](const std::string& prefix) {
        return std::count_if(events.begin(), events.end(), [&](const std::string& e) {
            return e.compare(0, prefix.size(), prefix) == 0;
        });
    };
    EXPECT_GT(count("Monitor: "), 1000);
    EXPECT_GT(count("Bitstream: "), 1000);
    EXPECT_GT(count("checked cbx_"), 0);
    EXPECT_GT(count("ResetAssembler"), 0);
    EXPECT_EQ(FirstDifference(FastDecoderEvents(input), events), "");
}

TEST(FirstDifference, NamesTheEventAndShowsBothSides) {
    const std::vector<std::string> same = {"version V 1.18", "Monitor: Idle Packet"};
    EXPECT_EQ(FirstDifference(same, same), "");

    const std::string changed =
        FirstDifference({"version V 1.18", "Monitor: Idle Packet", "Monitor: Lok 3"},
                        {"version V 1.18", "Monitor: Idle Packet", "Monitor: Lok 4"});
    EXPECT_NE(changed.find("at event 2"), std::string::npos) << changed;
    EXPECT_NE(changed.find("both       [1] Monitor: Idle Packet"), std::string::npos) << changed;
    EXPECT_NE(changed.find("from column 13"), std::string::npos) << changed;
    EXPECT_NE(changed.find("fast       [2] Monitor: Lok 3"), std::string::npos) << changed;
    EXPECT_NE(changed.find("reference  [2] Monitor: Lok 4"), std::string::npos) << changed;

    const std::string shorter = FirstDifference({"Monitor: a"}, {"Monitor: a", "Monitor: b"});
    EXPECT_NE(shorter.find("fast       [1] (no more events)"), std::string::npos) << shorter;

    // A long line is shown around the place where it differs, Latin-1 and
    // control bytes escaped.
    const std::string bits(5000, '1');
    const std::string cut =
        FirstDifference({"Bitstream: " + bits + "0\xE4"}, {"Bitstream: " + bits + "1\xE4"});
    EXPECT_NE(cut.find("from column 5011"), std::string::npos) << cut;
    EXPECT_NE(cut.find("...1111111111"), std::string::npos) << cut;
    EXPECT_NE(cut.find("10\\xE4 (5013 characters)"), std::string::npos) << cut;
}
