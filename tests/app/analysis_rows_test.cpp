// What the analysis window shows, without a window: its German texts, where
// its controls go at any size, and how its bar chart is painted.
#include "analysis_window.h"
#include "bar_chart.h"
#include "stream_builder.h"

#include <gtest/gtest.h>

TEST(AnalysisRows, GermanTexts) {
    const struct {
        TPacketAddress Address;
        const char* Text;
    } addresses[] = {{{TAddressSpace::Short, 3}, "3 (kurz)"},
                     {{TAddressSpace::Long, 1234}, "1234 (lang)"},
                     {{TAddressSpace::Broadcast, 0}, "0 (alle)"},
                     {{TAddressSpace::Accessory, 17}, "17"},
                     {{TAddressSpace::ExtAccessory, 5}, "5 (erw.)"}};
    for (const auto& a : addresses)
        EXPECT_EQ(AddressText(a.Address), a.Text);

    TLocoState loco;
    EXPECT_EQ(SpeedInGerman(loco), "?");
    EXPECT_EQ(DirectionInGerman(loco), "?");
    loco.HasSpeed = loco.HasDirection = true;
    loco.SpeedSteps = 28;
    loco.Speed = 12;
    EXPECT_EQ(SpeedInGerman(loco), "12/28");
    loco.Speed = 0;
    EXPECT_EQ(SpeedInGerman(loco), "Halt");
    loco.Speed = -1;
    EXPECT_EQ(SpeedInGerman(loco), "Nothalt");
    EXPECT_EQ(DirectionInGerman(loco), "r\xC3\xBC"
                                       "ckw\xC3\xA4rts");

    TAccessoryState output;
    EXPECT_EQ(AccessoryStateText(output), "?");
    output.Known = true;
    output.Coil = 1;
    output.On = true;
    EXPECT_EQ(AccessoryStateText(output), "G Ein");
    output.Coil = 0;
    output.On = false;
    EXPECT_EQ(AccessoryStateText(output), "R Aus");
    output.Extended = true;
    output.Aspect = 7;
    EXPECT_EQ(AccessoryStateText(output), "Aspekt 7");

    EXPECT_EQ(PercentText(72, 17215), "0,4 %");
    EXPECT_EQ(PercentText(0, 0), "0,0 %");
    EXPECT_EQ(ClockSeconds("12:34:56:789"), "12:34:56");
    for (int k = 0; k < PacketKindCount; ++k)
        EXPECT_FALSE(KindMeaning(static_cast<TPacketKind>(k)).empty());
}

TEST(AnalysisRows, TablesListWhatFennoxStatsListsAndTheChartMarksShortPreambles) {
    TLiveStats live;
    TStreamBuilder b;
    b.DeviceInfo(118, 0, 'e');
    b.DccPacket({0x03, 0x3F, 0x85}, 16);
    b.DccPacket({0x81, 0xF8}, 12);
    b.Packet({0x09, 0x3F, 0x85, 0x00}, 16); // only a bad packet: a made-up address
    b.RawBytes(std::vector<uint8_t>(60, 0xFF));
    const std::vector<uint8_t> bytes = b.Take();
    live.Feed(bytes.data(), bytes.size(), "07:00:00:000");

    const TAddressRows locos = LocoRows(live);
    ASSERT_EQ(locos.Rows.size(), 1u);
    EXPECT_EQ(locos.Rows[0],
              (TTable::TRow{"3 (kurz)", "1", "0", "4/126", "vorw\xC3\xA4rts", "07:00:00", "?"}));
    const TAddressRows outputs = AccessoryRows(live);
    ASSERT_EQ(outputs.Rows.size(), 1u);
    EXPECT_EQ(outputs.Addresses[0], (TPacketAddress{TAddressSpace::Accessory, 1}));
    EXPECT_EQ(outputs.Rows[0][3], "R Ein");
    EXPECT_NE(PacketsLine(live).find("1 Adressen nur in fehlerhaften Paketen"), std::string::npos);
    EXPECT_EQ(DeviceLine(live), "Ger\xC3\xA4te-Info: 1 (DCC 1, Motorola 0), Firmware V 1.18");

    const std::vector<TTable::TRow> kinds = KindRows(live.Stats());
    ASSERT_EQ(kinds.size(), 2u);
    EXPECT_EQ(kinds[0], (TTable::TRow{"speed-128", "Fahrstufe 128", "2", "1"}));

    const std::vector<TBar> bars = PreambleBars(live.Stats());
    ASSERT_EQ(bars.size(), 2u);
    EXPECT_EQ(bars[0].Label, "12");
    EXPECT_TRUE(bars[0].Marked);
    EXPECT_EQ(bars[1].Label, "16");
    EXPECT_FALSE(bars[1].Marked);
    EXPECT_EQ(bars[1].Value, 2u);
}

TEST(AnalysisLayout, EveryControlInsideAndNoneOverlapAtAnySize) {
    for (const auto& [w, h] : {std::pair{800, 560}, {1024, 680}, {1600, 1100}}) {
        const TAnalysisLayout l = ArrangeAnalysis(w, h);
        std::vector<std::pair<const char*, TRect>> rects;
#define FENNOX_TEST_RECT(name, kind, ...)                                                          \
    if (TControlKind::kind != TControlKind::Timer)                                                 \
        rects.push_back({#name, l.name});
        FENNOX_ANALYSIS_CONTROLS(FENNOX_TEST_RECT)
#undef FENNOX_TEST_RECT
        for (const auto& [name, r] : rects) {
            SCOPED_TRACE(std::string(name) + " at " + std::to_string(w) + "x" + std::to_string(h));
            EXPECT_GE(r.Left, 8);
            EXPECT_GE(r.Top, 8);
            EXPECT_LE(r.Left + r.Width, w - 8);
            EXPECT_LE(r.Bottom(), h - 8);
            EXPECT_GT(r.Width, 0);
            EXPECT_GT(r.Height, 0);
            for (const auto& [other, o] : rects) {
                const bool apart = r.Left + r.Width <= o.Left || o.Left + o.Width <= r.Left ||
                                   r.Bottom() <= o.Top || o.Bottom() <= r.Top;
                EXPECT_TRUE(name == other || apart) << "overlaps " << other;
            }
        }
        // The tables take what the window gains.
        EXPECT_EQ(l.tblVerlauf.Bottom(), h - 8);
        EXPECT_EQ(l.chtPraeambeln.Bottom(), h - 8);
        EXPECT_EQ(l.tblLoks.Left + l.tblLoks.Width, w - 8);
    }
    // The smallest window the analysis allows fits them all.
    EXPECT_GE(AnalysisMinWidth - 20, 800);
}

namespace {

struct TTestChartCanvas : TChartCanvas {
    struct TFill {
        int X, Y, W, H;
        TChartInk Ink;
    };
    std::vector<TFill> Fills;
    std::vector<std::pair<int, std::string>> Texts;
    void Fill(int x, int y, int w, int h, TChartInk ink) override {
        Fills.push_back({x, y, w, h, ink});
    }
    void Text(int x, int, const std::string& text) override { Texts.push_back({x, text}); }
    int TextWidth(const std::string& text) override { return 6 * static_cast<int>(text.size()); }
    int TextHeight() override { return 12; }
};

} // namespace

TEST(BarChart, BarsAsHighAsTheirValuesLabelsWhereTheyFit) {
    TBarChart chart("c", TControlKind::BarChart);
    chart.SetEmptyText("noch keine Pakete");
    TTestChartCanvas empty;
    PaintBarChart(chart, empty, 200, 100);
    ASSERT_EQ(empty.Texts.size(), 1u);
    EXPECT_EQ(empty.Texts[0],
              (std::pair<int, std::string>{(200 - 6 * 17) / 2, "noch keine Pakete"}));

    chart.SetBars({{"12", 50, true}, {"14", 200, false}, {"15", 0, false}, {"100", 100, false}});
    TTestChartCanvas canvas;
    PaintBarChart(chart, canvas, 108, 100);
    // Background, axis, then one fill per bar with packets.
    std::vector<TTestChartCanvas::TFill> bars;
    for (const auto& f : canvas.Fills) {
        if (f.Ink == TChartInk::Bar || f.Ink == TChartInk::MarkedBar)
            bars.push_back(f);
    }
    ASSERT_EQ(bars.size(), 4u);
    EXPECT_EQ(bars[0].Ink, TChartInk::MarkedBar);
    EXPECT_EQ(bars[1].H, 2 * bars[3].H);
    EXPECT_EQ(bars[1].H, 4 * bars[0].H);
    EXPECT_EQ(bars[2].H, 0);
    EXPECT_EQ(bars[0].Y + bars[0].H, bars[1].Y + bars[1].H) << "on one axis";
    EXPECT_EQ(bars[1].X - bars[0].X, 24) << "at most 24 pixels a bar";
    // The largest value above; a label that would touch the last is left out.
    EXPECT_EQ(canvas.Texts[0].second, "200");
    std::vector<std::string> labels;
    for (std::size_t i = 1; i < canvas.Texts.size(); ++i)
        labels.push_back(canvas.Texts[i].second);
    EXPECT_EQ(labels, (std::vector<std::string>{"12", "14", "15", "100"}));
    TTestChartCanvas narrow;
    PaintBarChart(chart, narrow, 40, 100);
    EXPECT_LT(narrow.Texts.size(), 5u);
}
