#include "recording_host.h"
#include "rx_collector.h"

#include <gtest/gtest.h>

#include <vector>

namespace {

// Counts the chunks the collection step hands over, and what they held,
// by watching the decoder's pending bit text (DCC on, all-zero bytes never
// start a packet).
struct Collector : ::testing::Test {
    TRecordingHost host;
    TStreamDecoder decoder{host};
    TRxBuffer rx;

    Collector() { host.Check({TSwitch::cbx_dcc_stream}); }
    void Collect(std::size_t n, uint8_t value = 0) {
        std::vector<uint8_t> bytes(n, value);
        CollectBytes(decoder, rx, bytes.data(), n);
    }
    std::size_t DecodedBytes() const { return decoder.BitstreamText.size() / 8; }
};

} // namespace

TEST_F(Collector, NothingIsDecodedBeforeFiftyBytes) {
    Collect(49);
    EXPECT_EQ(rx.RxCount, 49);
    EXPECT_EQ(DecodedBytes(), 0u);
    Collect(1);
    EXPECT_EQ(rx.RxCount, 0);
    EXPECT_EQ(DecodedBytes(), 50u);
}

TEST_F(Collector, OneHundredTwentyBytesMakeTwoChunks) {
    Collect(120);
    EXPECT_EQ(DecodedBytes(), 100u);
    EXPECT_EQ(rx.RxCount, 20);
}

TEST_F(Collector, CarriedEntriesComeFirstInTheNextChunk) {
    Collect(44);
    const uint8_t tail[] = {0xAA, 1, 2, 3, 4, 5};
    CollectBytes(decoder, rx, tail, sizeof tail);
    EXPECT_EQ(rx.RxCount, 6);
    EXPECT_EQ(DecodedBytes(), 44u);
    Collect(43);
    EXPECT_EQ(rx.RxCount, 49);
    Collect(1);
    EXPECT_EQ(rx.RxCount, 0);
    // The carried 0xAA (no record after it) is decoded as an ordinary byte.
    EXPECT_EQ(decoder.BitstreamText.substr(44 * 8, 16), "1010101000000001");
}

TEST_F(Collector, ByteByByteEqualsAllAtOnce) {
    std::vector<uint8_t> stream;
    for (int i = 0; i < 1000; ++i)
        stream.push_back(static_cast<uint8_t>(i % 7 == 0 ? 0xAA : i * 31));
    TRecordingHost host2;
    host2.Check({TSwitch::cbx_dcc_stream, TSwitch::cbx_bitstream, TSwitch::cbx_schrott,
                 TSwitch::cbx_sonstige, TSwitch::cbx_binaer});
    host.Check(
        {TSwitch::cbx_bitstream, TSwitch::cbx_schrott, TSwitch::cbx_sonstige, TSwitch::cbx_binaer});
    TStreamDecoder d2(host2);
    TRxBuffer rx2;
    CollectBytes(decoder, rx, stream.data(), stream.size());
    for (uint8_t b : stream)
        CollectBytes(d2, rx2, &b, 1);
    EXPECT_EQ(host.Monitor, host2.Monitor);
    EXPECT_EQ(host.Bitstream, host2.Bitstream);
    EXPECT_EQ(rx.RxCount, rx2.RxCount);
    EXPECT_FALSE(host.Monitor.empty());
}
