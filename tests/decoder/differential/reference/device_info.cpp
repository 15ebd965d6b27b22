// The device's info record: switches between DCC and Motorola decoding, shows
// the display switches that fit the mode, and shows the firmware version.
#include "number_text.h"
#include "stream_decoder.h"

namespace reference {

void TStreamDecoder::ShowDeviceInfo(int version, int parameter, int modeLetter) {
    TDecoderHost& h = Host;
    if (modeLetter == 'm') {
        h.SetChecked(TSwitch::cbx_mot, true);
        h.SetChecked(TSwitch::cbx_dcc_stream, false);
        if (parameter < 8) {
            // Switch records.
            h.SetVisible(TSwitch::cbx_schaltbefehle, true);
            h.SetChecked(TSwitch::cbx_schaltbefehle, true);
            h.SetEnabled(TSwitch::cbx_schaltbefehle, false);
            h.SetVisible(TSwitch::cbx_lokbefehle_s, false);
            h.SetVisible(TSwitch::cbx_lokbefehle_f, false);
            h.SetVisible(TSwitch::cbx_railcom, false);
            h.SetVisible(TSwitch::cbx_sonstige, false);
        } else {
            // Locomotive records.
            h.SetVisible(TSwitch::cbx_schaltbefehle, false);
            h.SetChecked(TSwitch::cbx_schaltbefehle, false);
            h.SetVisible(TSwitch::cbx_lokbefehle_s, false);
            h.SetVisible(TSwitch::cbx_lokbefehle_f, true);
            h.SetChecked(TSwitch::cbx_lokbefehle_f, true);
            h.SetEnabled(TSwitch::cbx_lokbefehle_f, false);
            h.SetVisible(TSwitch::cbx_railcom, false);
            h.SetVisible(TSwitch::cbx_sonstige, false);
        }
    } else if (modeLetter == 'e') {
        h.SetChecked(TSwitch::cbx_mot, false);
        h.SetChecked(TSwitch::cbx_dcc_stream, true);
        h.SetEnabled(TSwitch::cbx_schaltbefehle, true);
        h.SetEnabled(TSwitch::cbx_lokbefehle_f, true);
        h.SetVisible(TSwitch::cbx_schaltbefehle, true);
        h.SetVisible(TSwitch::cbx_lokbefehle_s, true);
        h.SetVisible(TSwitch::cbx_lokbefehle_f, true);
        h.SetVisible(TSwitch::cbx_railcom, true);
        h.SetVisible(TSwitch::cbx_sonstige, true);
    }

    // "V %1.2f" of version / 100, done in integers so no rounding can creep in.
    std::string text = "V ";
    AppendInt(text, version / 100);
    text += '.';
    AppendInt(text, version % 100 / 10);
    AppendInt(text, version % 10);
    h.SetVersionText(text);
}

} // namespace reference
