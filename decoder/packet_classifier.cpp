// The packet classifier and line composer: one complete DCC packet becomes at
// most one Monitor log line.
#include "number_text.h"
#include "stream_decoder.h"

namespace {

// The decoder holds at most this many bytes of one packet.
constexpr int MaxPacketBytes = 10;

// The kinds the Monitor log tells apart: they choose a packet's text and the
// Display switch that admits it. They are fixed bit tests on the first bytes
// and stay apart from the kinds of packet_kinds.h, which follow the DCC
// standards (there a first byte of 0x74 to 0x7F is a locomotive outside
// service mode, and an accessory packet may be longer than three bytes).
enum class TMainKind {
    Accessory,
    BroadcastReset,
    Idle,
    LongLoco,
    CvBitManipulation,
    CvVerify,
    CvWrite,
    ShortLoco,
    Unclassified,
};

enum class TInstructionKind {
    None, // not a locomotive packet
    FunctionGroup,
    Functions13to20,
    Functions21to28,
    Speed28,
    Speed128,
    Other,
};

TMainKind MainKindOf(const uint8_t* b, int n) {
    if ((b[0] & 0xC0) == 0x80 && n == 3)
        return TMainKind::Accessory;
    if (b[0] == 0x00 && b[1] == 0x00)
        return TMainKind::BroadcastReset;
    if (b[0] == 0xFF)
        return TMainKind::Idle;
    if ((b[0] & 0xC0) == 0xC0 && n >= 4)
        return TMainKind::LongLoco;
    if ((b[0] & 0xFC) == 0x78)
        return TMainKind::CvBitManipulation;
    if ((b[0] & 0xFC) == 0x74)
        return TMainKind::CvVerify;
    if ((b[0] & 0xFC) == 0x7C)
        return TMainKind::CvWrite;
    if ((b[0] & 0x80) == 0)
        return TMainKind::ShortLoco;
    return TMainKind::Unclassified;
}

TInstructionKind InstructionKindOf(uint8_t I) {
    if ((I & 0xC0) == 0x80)
        return TInstructionKind::FunctionGroup;
    if (I == 0xDE)
        return TInstructionKind::Functions13to20;
    if (I == 0xDF)
        return TInstructionKind::Functions21to28;
    if ((I & 0xC0) == 0x40)
        return TInstructionKind::Speed28;
    if (I == 0x3F)
        return TInstructionKind::Speed128;
    return TInstructionKind::Other;
}

// The Display switch that admits a packet of these kinds; a RailCom NOP
// needs cbx_railcom as well. cbx_sonstige admits every packet that has no
// switch of its own.
TSwitch DisplaySwitchOf(TMainKind kind, TInstructionKind instruction) {
    switch (kind) {
    case TMainKind::Accessory:
        return TSwitch::cbx_schaltbefehle;
    case TMainKind::Idle:
        return TSwitch::cbx_idle;
    case TMainKind::CvBitManipulation:
    case TMainKind::CvVerify:
    case TMainKind::CvWrite:
        return TSwitch::cbx_cv;
    case TMainKind::ShortLoco:
    case TMainKind::LongLoco:
        switch (instruction) {
        case TInstructionKind::Speed28:
        case TInstructionKind::Speed128:
            return TSwitch::cbx_lokbefehle_s;
        case TInstructionKind::FunctionGroup:
        case TInstructionKind::Functions13to20:
        case TInstructionKind::Functions21to28:
            return TSwitch::cbx_lokbefehle_f;
        default:
            return TSwitch::cbx_sonstige;
        }
    default: // broadcast reset, unclassified
        return TSwitch::cbx_sonstige;
    }
}

} // namespace

void TStreamDecoder::DecodePacket(std::string_view packet, int n) {
    // Too short to decode, or longer than the decoder holds: shown as it is.
    if (n < 2 || n > MaxPacketBytes ||
        static_cast<int64_t>(9) * n >= static_cast<int64_t>(packet.size())) {
        if (PacketObserver)
            PacketObserver->PacketNotDecoded(packet, n);
        ShowGarbage(packet);
        return;
    }
    if (On(TSwitch::cbx_only_once) && packet == LastPacket)
        return;

    bool hold = On(TSwitch::cbx_filter);
    // Bytes a packet is too short for read as 0.
    uint8_t b[MaxPacketBytes + 2] = {};
    for (int k = 0; k < n; ++k)
        b[k] = static_cast<uint8_t>(BitsToByte(packet.data() + 1 + 9 * k));

    const TMainKind kind = MainKindOf(b, n);
    const bool railComNop = kind == TMainKind::Accessory && (b[1] & 0x80) == 0;
    const bool shortLoco = kind == TMainKind::ShortLoco;
    const bool longLoco = kind == TMainKind::LongLoco;
    // For a locomotive packet: the instruction byte's index.
    const int iIndex = shortLoco ? 1 : 2;
    const TInstructionKind instruction =
        shortLoco || longLoco ? InstructionKindOf(b[iIndex]) : TInstructionKind::None;

    // Display gates.
    if (!On(DisplaySwitchOf(kind, instruction)) || (railComNop && !On(TSwitch::cbx_railcom)))
        return;

    LastPacket = packet;

    // The line's length is bounded: the time text, the bits prefix with the
    // Packet text, and a kind text of at most 64 characters.
    std::string_view timeText;
    const bool withTime = On(TSwitch::cbx_time);
    if (withTime)
        timeText = Host.TimeText();
    Composed.Clear();
    TLineWriter line(Composed, timeText.size() + packet.size() + 128);
    if (withTime) {
        line.Append(timeText);
        line.Append(' ');
    }
    if (On(TSwitch::cbx_binaer)) {
        line.Append(' ');
        AppendInt(line, n);
        line.Append(" Bytes  ");
        line.Append(packet);
        line.Append(' ');
    }

    if (shortLoco || longLoco) {
        const int32_t address = shortLoco ? b[0] : (b[0] - 192) * 256 + b[1];
        line.Append("Lok ");
        AppendInt(line, address, 5);
        line.Append(' ');
        const uint8_t I = b[iIndex];
        const uint8_t after = b[iIndex + 1];
        switch (instruction) {
        case TInstructionKind::FunctionGroup:
            line.MoveTo(AppendFunctionGroup(line.Cursor(), I));
            break;
        case TInstructionKind::Functions13to20:
            line.MoveTo(AppendFunctions13to20(line.Cursor(), after));
            break;
        case TInstructionKind::Functions21to28:
            line.MoveTo(AppendFunctions21to28(line.Cursor(), after));
            break;
        case TInstructionKind::Speed28:
            line.MoveTo(AppendSpeed28(line.Cursor(), I));
            break;
        case TInstructionKind::Speed128:
            line.MoveTo(AppendSpeed128(line.Cursor(), after));
            break;
        default:
            break;
        }
        if (Host.FilterMin() <= address && address <= Host.FilterMax())
            hold = false;
    } else if (railComNop) {
        line.Append("RailCom NOP");
        hold = false;
    } else if (kind == TMainKind::Accessory) {
        const TLineCursor before = line.Cursor();
        const TLineCursor behind =
            AppendAccessory(before, b[0], b[1], Host.FilterMax(), Host.FilterMin());
        if (behind.Position() != before.Position())
            hold = false;
        line.MoveTo(behind);
    } else if (kind == TMainKind::Idle) {
        line.Append("Idle Packet");
        hold = false;
    } else if (kind == TMainKind::BroadcastReset) {
        line.Append("Broadcast Reset Packet");
        hold = false;
    } else if (kind == TMainKind::CvBitManipulation) {
        line.Append("CV ");
        AppendInt(line, b[1] + 1);
        line.Append(" Manipulation: ");
        const bool write = (b[2] & 0x10) != 0;
        const bool high = (b[2] & 0x08) != 0;
        line.AppendEither(write, "Set Bit ", "Verify if Bit ");
        AppendInt(line, b[2] & 0x07);
        if (write)
            line.AppendEither(high, " to HIGH", " to LOW");
        else
            line.AppendEither(high, " is HIGH", " is LOW");
        hold = false;
    } else if (kind == TMainKind::CvVerify || kind == TMainKind::CvWrite) {
        line.AppendEither(kind == TMainKind::CvVerify, "Verify if CV ", "Write CV ");
        AppendInt(line, b[1] + 1);
        line.Append(" = ");
        AppendInt(line, b[2]);
        line.Append(" (0x");
        AppendHex(line, b[2]);
        line.Append(") ");
        hold = false;
    }

    line.Finish();
    if (Composed.Empty() || hold)
        return;
    const std::string_view text(Composed.Data(), Composed.Size());
    if (!PacketFacts) {
        Host.AppendMonitorLine(text);
        return;
    }
    uint8_t sum = 0;
    for (int k = 0; k < n; ++k)
        sum ^= b[k];
    Host.AppendPacketLine(text, {sum == 0, PreambleWhole ? PreambleOnes : -1});
}
