// The packet classifier and line composer: one complete DCC packet becomes at
// most one Monitor log line.
#include "number_text.h"
#include "stream_decoder.h"

namespace reference {

namespace {

// The decoder holds at most this many bytes of one packet.
constexpr int MaxPacketBytes = 10;

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

TMainKind ClassifyMain(const uint8_t* b, int n) {
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

TInstructionKind ClassifyInstruction(uint8_t I) {
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

} // namespace

void TStreamDecoder::DecodePacket(const std::string& packet, int n) {
    // Too short to decode, or longer than the decoder holds: shown as it is.
    if (n < 2 || n > MaxPacketBytes ||
        static_cast<int64_t>(9) * n >= static_cast<int64_t>(packet.size())) {
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

    const TMainKind kind = ClassifyMain(b, n);
    const bool railComNop = kind == TMainKind::Accessory && (b[1] & 0x80) == 0;
    const bool shortLoco = kind == TMainKind::ShortLoco;
    const bool longLoco = kind == TMainKind::LongLoco;
    // For a locomotive packet: the instruction byte's index.
    const int iIndex = shortLoco ? 1 : 2;
    const TInstructionKind instruction =
        shortLoco || longLoco ? ClassifyInstruction(b[iIndex]) : TInstructionKind::None;

    // Display gates.
    const bool isCv = kind == TMainKind::CvBitManipulation || kind == TMainKind::CvVerify ||
                      kind == TMainKind::CvWrite;
    const bool isSpeed =
        instruction == TInstructionKind::Speed28 || instruction == TInstructionKind::Speed128;
    const bool isFunction = instruction == TInstructionKind::FunctionGroup ||
                            instruction == TInstructionKind::Functions13to20 ||
                            instruction == TInstructionKind::Functions21to28;
    const bool isAccessory = kind == TMainKind::Accessory;
    const bool isIdle = kind == TMainKind::Idle;
    if (isAccessory && !On(TSwitch::cbx_schaltbefehle))
        return;
    if (isSpeed && !On(TSwitch::cbx_lokbefehle_s))
        return;
    if (isFunction && !On(TSwitch::cbx_lokbefehle_f))
        return;
    if (railComNop && !On(TSwitch::cbx_railcom))
        return;
    if (isIdle && !On(TSwitch::cbx_idle))
        return;
    if (isCv && !On(TSwitch::cbx_cv))
        return;
    if (!isAccessory && !isSpeed && !isFunction && !isIdle && !isCv && !On(TSwitch::cbx_sonstige))
        return;

    LastPacket = packet;

    std::string& line = Line;
    line.clear();
    if (On(TSwitch::cbx_time)) {
        line += Host.TimeText();
        line += ' ';
    }
    if (On(TSwitch::cbx_binaer)) {
        line += ' ';
        AppendInt(line, n);
        line += " Bytes  ";
        line += packet;
        line += ' ';
    }

    if (shortLoco || longLoco) {
        const int32_t address = shortLoco ? b[0] : (b[0] - 192) * 256 + b[1];
        line += "Lok ";
        AppendInt(line, address, 5);
        line += ' ';
        const uint8_t I = b[iIndex];
        const uint8_t after = b[iIndex + 1];
        switch (instruction) {
        case TInstructionKind::FunctionGroup:
            AppendFunctionGroup(line, I);
            break;
        case TInstructionKind::Functions13to20:
            AppendFunctions13to20(line, after);
            break;
        case TInstructionKind::Functions21to28:
            AppendFunctions21to28(line, after);
            break;
        case TInstructionKind::Speed28:
            AppendSpeed28(line, I);
            break;
        case TInstructionKind::Speed128:
            AppendSpeed128(line, after);
            break;
        default:
            break;
        }
        if (Host.FilterMin() <= address && address <= Host.FilterMax())
            hold = false;
    } else if (railComNop) {
        line += "RailCom NOP";
        hold = false;
    } else if (isAccessory) {
        const std::string text = FormatAccessory(b[0], b[1], Host.FilterMax(), Host.FilterMin());
        if (!text.empty()) {
            line += text;
            hold = false;
        }
    } else if (isIdle) {
        line += "Idle Packet";
        hold = false;
    } else if (kind == TMainKind::BroadcastReset) {
        line += "Broadcast Reset Packet";
        hold = false;
    } else if (kind == TMainKind::CvBitManipulation) {
        line += "CV ";
        AppendInt(line, b[1] + 1);
        line += " Manipulation: ";
        const bool write = (b[2] & 0x10) != 0;
        const bool high = (b[2] & 0x08) != 0;
        line += write ? "Set Bit " : "Verify if Bit ";
        AppendInt(line, b[2] & 0x07);
        if (write)
            line += high ? " to HIGH" : " to LOW";
        else
            line += high ? " is HIGH" : " is LOW";
        hold = false;
    } else if (isCv) {
        line += kind == TMainKind::CvVerify ? "Verify if CV " : "Write CV ";
        AppendInt(line, b[1] + 1);
        line += " = ";
        AppendInt(line, b[2]);
        line += " (0x";
        AppendHex(line, b[2]);
        line += ") ";
        hold = false;
    }

    if (!line.empty() && !hold)
        Host.AppendMonitorLine(line);
}

} // namespace reference
