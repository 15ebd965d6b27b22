#include "packet_text.h"

TPacketTextComposer::TPacketTextComposer() : Decoder(Host) {
    for (TSwitch s : {TSwitch::cbx_schaltbefehle, TSwitch::cbx_lokbefehle_s,
                      TSwitch::cbx_lokbefehle_f, TSwitch::cbx_railcom, TSwitch::cbx_idle,
                      TSwitch::cbx_sonstige, TSwitch::cbx_cv, TSwitch::cbx_schrott})
        Host.SetChecked(s, true);
    Host.OnMonitorLine = [this](const std::string& line) { Line = line; };
}

std::string TPacketTextComposer::Text(const uint8_t* bytes, int count) {
    // The Packet text the bit assembler would have built for these bytes.
    PacketText.assign(1, '<');
    for (int k = 0; k < count; ++k) {
        if (k > 0)
            PacketText += ' ';
        for (int bit = 7; bit >= 0; --bit)
            PacketText += ((bytes[k] >> bit) & 1) ? '1' : '0';
    }
    PacketText += '>';
    Line.clear();
    Decoder.DecodePacket(PacketText, count);
    return Line;
}
