// The chunk's bytes reach the bit assembler eight bits at a time; what comes
// out must be what the same bits give one by one through AssembleBit.
#include "recording_host.h"
#include "stream_builder.h"

#include <gtest/gtest.h>

#include <climits>
#include <random>

namespace {

struct TRun {
    TRecordingHost host;
    TStreamDecoder decoder{host};
    // Both logs in the order they were written, Bitstream lines marked "B:".
    std::vector<std::string> events;

    TRun() {
        for (int i = 0; i < SwitchCount; ++i)
            host.SetChecked(static_cast<TSwitch>(i), true);
        host.SetChecked(TSwitch::cbx_mot, false);
        host.SetChecked(TSwitch::cbx_only_once, false);
        host.SetChecked(TSwitch::cbx_filter, false);
        host.SetChecked(TSwitch::cbx_nur_ON, false);
        host.OnMonitorLine = [this](const std::string& l) { events.push_back(l); };
        host.OnBitstreamLine = [this](const std::string& l) { events.push_back("B:" + l); };
    }
};

void SetState(TStreamDecoder& d, bool inPacket, int32_t bitIndex, int32_t ones, bool complete) {
    d.InPacket = inPacket;
    d.BitIndex = bitIndex;
    d.OnesCount = ones;
    d.PacketComplete = complete;
    d.PacketText = "<1010";
    d.ByteCount = 2;
}

// Feeds the bytes to one decoder in 50-byte chunks and their bit characters
// to another one by one, and compares everything that came out and the
// assembler's state. The streams hold no 0xAA, so every byte is converted.
void ExpectSameAsBitByBit(const std::vector<uint8_t>& stream,
                          void (*prepare)(TStreamDecoder&) = nullptr) {
    TRun bytes, bits;
    if (prepare) {
        prepare(bytes.decoder);
        prepare(bits.decoder);
    }
    std::vector<int32_t> chunk;
    for (std::size_t at = 0; at + 50 <= stream.size(); at += 50) {
        chunk.assign(stream.begin() + static_cast<std::ptrdiff_t>(at),
                     stream.begin() + static_cast<std::ptrdiff_t>(at + 50));
        ASSERT_EQ(bytes.decoder.ProcessChunk(chunk.data(), 50), 0);
        for (std::size_t k = at; k < at + 50; ++k) {
            for (int i = 7; i >= 0; --i)
                bits.decoder.AssembleBit(((stream[k] >> i) & 1) ? '1' : '0');
        }
    }
    ASSERT_EQ(bytes.events.size(), bits.events.size());
    for (std::size_t i = 0; i < bits.events.size(); ++i)
        ASSERT_EQ(bytes.events[i], bits.events[i]) << "line " << i;
    EXPECT_EQ(bytes.decoder.PacketText, bits.decoder.PacketText);
    EXPECT_EQ(bytes.decoder.BitstreamText, bits.decoder.BitstreamText);
    EXPECT_EQ(bytes.decoder.GapText, bits.decoder.GapText);
    EXPECT_EQ(bytes.decoder.InPacket, bits.decoder.InPacket);
    EXPECT_EQ(bytes.decoder.OnesCount, bits.decoder.OnesCount);
    EXPECT_EQ(bytes.decoder.BitIndex, bits.decoder.BitIndex);
    EXPECT_EQ(bytes.decoder.ByteCount, bits.decoder.ByteCount);
    EXPECT_EQ(bytes.decoder.LastPacket, bits.decoder.LastPacket);
}

std::vector<uint8_t> WithoutMarkers(std::vector<uint8_t> stream) {
    for (uint8_t& b : stream) {
        if (b == 0xAA)
            b = 0xAB;
    }
    return stream;
}

} // namespace

TEST(ByteAssembly, PacketsWithEveryPreambleLengthAndBitErrors) {
    std::mt19937 random(12);
    TStreamBuilder b;
    for (int p = 0; p < 3000; ++p) {
        std::vector<uint8_t> packet(1 + random() % 6);
        for (uint8_t& byte : packet)
            byte = static_cast<uint8_t>(random());
        if (random() % 4 == 0)
            packet[0] = 0xFF;
        // Preambles from too short to long, so starts fall on every bit of
        // a byte, and now and then a stray bit between packets.
        b.Packet(packet, static_cast<int>(random() % 16));
        if (random() % 5 == 0)
            b.Bits(random() % 2 ? "0" : "1");
    }
    std::vector<uint8_t> stream = b.Take();
    // Flipped bits: lost end bits, packets that run on, garbage.
    for (uint8_t& byte : stream) {
        if (random() % 40 == 0)
            byte = static_cast<uint8_t>(byte ^ (1u << (random() % 8)));
    }
    ExpectSameAsBitByBit(WithoutMarkers(stream));
}

TEST(ByteAssembly, RandomBytesMostlyOnes) {
    std::mt19937 random(7);
    std::vector<uint8_t> stream(200000);
    for (uint8_t& byte : stream)
        byte = random() % 3 == 0 ? static_cast<uint8_t>(random()) : 0xFF;
    ExpectSameAsBitByBit(WithoutMarkers(stream));
}

TEST(ByteAssembly, LongRunsOfOnesAndOfZeros) {
    std::vector<uint8_t> stream;
    for (int round = 0; round < 3; ++round) {
        stream.insert(stream.end(), 9000, 0xFF); // gap beyond the text bound
        stream.insert(stream.end(), 1, 0xFE);
        stream.insert(stream.end(), 9000, 0x00); // a packet that never ends
        stream.insert(stream.end(), 3, 0xFF);
    }
    stream.resize(stream.size() / 50 * 50);
    ExpectSameAsBitByBit(stream);
}

TEST(ByteAssembly, StatesOnlySetByHandAreTakenBitByBit) {
    // Fields are public; whatever they hold, bytes and bits must agree.
    std::mt19937 random(3);
    std::vector<uint8_t> stream(500);
    for (uint8_t& byte : stream)
        byte = random() % 2 ? 0xFF : static_cast<uint8_t>(random() | 0x01);
    for (auto prepare : std::initializer_list<void (*)(TStreamDecoder&)>{
             [](TStreamDecoder& d) { SetState(d, true, -1, 0, false); },
             [](TStreamDecoder& d) { SetState(d, true, 3, 20, false); },
             [](TStreamDecoder& d) { SetState(d, true, 8, 12, false); },
             [](TStreamDecoder& d) { SetState(d, true, 11, 0, false); },
             [](TStreamDecoder& d) { SetState(d, false, 0, INT32_MAX - 2, false); },
             [](TStreamDecoder& d) { SetState(d, false, 5, -7, true); },
             [](TStreamDecoder& d) { SetState(d, true, 4, 0, true); },
         })
        ExpectSameAsBitByBit(stream, prepare);
}
