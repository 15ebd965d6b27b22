#include "recording_host.h"

#include <gtest/gtest.h>

namespace {

using S = TSwitch;
const S DisplaySwitches[] = {S::cbx_schaltbefehle, S::cbx_lokbefehle_s, S::cbx_lokbefehle_f,
                             S::cbx_railcom, S::cbx_sonstige};

std::vector<TSwitch> Shown(const THeadlessHost& h) {
    std::vector<TSwitch> shown;
    for (S s : DisplaySwitches)
        if (h.IsVisible(s))
            shown.push_back(s);
    return shown;
}

} // namespace

TEST(DeviceInfo, MotorolaSwitchRecords) {
    TRecordingHost h;
    h.Check({S::cbx_dcc_stream});
    TStreamDecoder d(h);
    d.ShowDeviceInfo(118, 7, 'm');
    EXPECT_TRUE(h.IsChecked(S::cbx_mot));
    EXPECT_FALSE(h.IsChecked(S::cbx_dcc_stream));
    EXPECT_EQ(Shown(h), std::vector<TSwitch>{S::cbx_schaltbefehle});
    EXPECT_TRUE(h.IsChecked(S::cbx_schaltbefehle));
    EXPECT_FALSE(h.IsEnabled(S::cbx_schaltbefehle));
    EXPECT_EQ(h.GetVersionText(), "V 1.18");
}

TEST(DeviceInfo, MotorolaLocomotiveRecordsThenDccAgain) {
    TRecordingHost h;
    h.Check({S::cbx_schaltbefehle, S::cbx_idle, S::cbx_cv});
    TStreamDecoder d(h);
    d.ShowDeviceInfo(255, 8, 'm');
    EXPECT_EQ(Shown(h), std::vector<TSwitch>{S::cbx_lokbefehle_f});
    EXPECT_FALSE(h.IsChecked(S::cbx_schaltbefehle));
    EXPECT_TRUE(h.IsChecked(S::cbx_lokbefehle_f));
    EXPECT_FALSE(h.IsEnabled(S::cbx_lokbefehle_f));
    EXPECT_EQ(h.GetVersionText(), "V 2.55");

    d.ShowDeviceInfo(5, 0, 'e');
    EXPECT_FALSE(h.IsChecked(S::cbx_mot));
    EXPECT_TRUE(h.IsChecked(S::cbx_dcc_stream));
    EXPECT_EQ(Shown(h).size(), 5u);
    EXPECT_TRUE(h.IsEnabled(S::cbx_schaltbefehle));
    EXPECT_TRUE(h.IsEnabled(S::cbx_lokbefehle_f));
    EXPECT_TRUE(h.IsChecked(S::cbx_lokbefehle_f));
    EXPECT_FALSE(h.IsChecked(S::cbx_schaltbefehle));
    // Never touched.
    EXPECT_TRUE(h.IsChecked(S::cbx_idle));
    EXPECT_TRUE(h.IsChecked(S::cbx_cv));
    EXPECT_EQ(h.GetVersionText(), "V 0.05");
}

TEST(DeviceInfo, OtherModeLetterOnlySetsTheVersion) {
    TRecordingHost h;
    h.Check({S::cbx_mot, S::cbx_dcc_stream});
    h.SetVisible(S::cbx_railcom, false);
    TStreamDecoder d(h);
    d.ShowDeviceInfo(100, 9, 'x');
    EXPECT_EQ(h.GetVersionText(), "V 1.00");
    EXPECT_TRUE(h.IsChecked(S::cbx_mot));
    EXPECT_TRUE(h.IsChecked(S::cbx_dcc_stream));
    EXPECT_FALSE(h.IsVisible(S::cbx_railcom));
    d.ShowDeviceInfo(0, 0, 'E');
    EXPECT_EQ(h.GetVersionText(), "V 0.00");
    d.ShowDeviceInfo(29, 0, 'x');
    EXPECT_EQ(h.GetVersionText(), "V 0.29");
}
