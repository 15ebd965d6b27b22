#include "stats_report.h"

#include <algorithm>
#include <cstdio>

std::string Fixed(double value, int decimals) {
    char text[64];
    std::snprintf(text, sizeof text, "%.*f", decimals, value);
    return text;
}

const char* DirectionText(const TLocoState& s) {
    return !s.HasDirection ? "?" : s.Forward ? "forward" : "reverse";
}

void AppendLatin1(std::string& out, unsigned char c) {
    if (c < 0x80) {
        out += static_cast<char>(c);
    } else {
        out += static_cast<char>(0xC0 | (c >> 6));
        out += static_cast<char>(0x80 | (c & 0x3F));
    }
}

namespace {

std::string Percent(uint64_t part, uint64_t whole) {
    return whole == 0 ? "0.0%" : Fixed(100.0 * static_cast<double>(part) / whole, 1) + "%";
}

std::string Padded(const std::string& text, std::size_t width) {
    return text.size() >= width ? text : text + std::string(width - text.size(), ' ');
}

std::string RightAligned(const std::string& text, std::size_t width) {
    return text.size() >= width ? text : std::string(width - text.size(), ' ') + text;
}

} // namespace

std::string HexBytes(const uint8_t* bytes, int n) {
    static const char digits[] = "0123456789ABCDEF";
    std::string text;
    for (int i = 0; i < n; ++i) {
        if (i > 0)
            text += ' ';
        text += digits[bytes[i] >> 4];
        text += digits[bytes[i] & 0x0F];
    }
    return text;
}

bool SeenIntact(const TCount& count) {
    return count.Packets > count.ChecksumErrors;
}

double DeviceSeconds(const TDccStats& stats) {
    return static_cast<double>(stats.Bytes) / DeviceBytesPerSecond;
}

TPacketsPerSecond PacketsPerSecond(const TDccStats& stats) {
    TPacketsPerSecond r;
    const std::size_t whole = static_cast<std::size_t>(stats.Bytes / 1920);
    std::size_t seconds = std::max<std::size_t>(whole, 1);
    if (stats.Bytes == 0)
        return r;
    r.Seconds = seconds;
    r.Min = -1;
    double total = 0;
    for (std::size_t s = 0; s < seconds; ++s) {
        double n = 0;
        if (s < stats.PerSecond.size()) {
            for (uint32_t c : stats.PerSecond[s])
                n += c;
        }
        total += n;
        r.Min = r.Min < 0 ? n : std::min(r.Min, n);
        r.Max = std::max(r.Max, n);
    }
    r.Mean = total / static_cast<double>(seconds);
    return r;
}

std::string SummaryText(const TDccStats& stats, const std::string& inputName) {
    std::string t;
    t += "Recording: " + inputName + "\n";
    // A byte is 1/1920 s only while the device fills the line with DCC
    // bits; Motorola records leave it idle in between.
    t += "Bytes: " + std::to_string(stats.Bytes) + " (" +
         (stats.Packets > 0 ? Fixed(DeviceSeconds(stats), 1) + " s of device time; " : "") +
         std::to_string(stats.BytesHeldBack()) + " last bytes held back, not decoded)\n";
    t += "Device info records: " + std::to_string(stats.DeviceInfoRecords) + " (DCC " +
         std::to_string(stats.DccRecords) + ", Motorola " + std::to_string(stats.MotorolaRecords) +
         ")";
    if (!stats.LastVersion.empty())
        t += ", firmware " + stats.LastVersion;
    t += "\n";
    if (stats.Packets == 0) {
        if (stats.MotorolaRecords > 0 || stats.MotorolaDecoding())
            t += "No DCC packets: the recording is in Motorola mode (" +
                 std::to_string(stats.MotorolaLines) + " Motorola records decoded).\n";
        else
            t += "No DCC packets found.\n";
        return t;
    }
    t += "Packets: " + std::to_string(stats.Packets) +
         ", checksum failures: " + std::to_string(stats.ChecksumErrors) + " (" +
         Percent(stats.ChecksumErrors, stats.Packets) + ")\n";
    const TPacketsPerSecond pps = PacketsPerSecond(stats);
    t += "Packets per second: mean " + Fixed(pps.Mean, 1) + ", min " + Fixed(pps.Min, 0) +
         ", max " + Fixed(pps.Max, 0) + " over " + std::to_string(pps.Seconds) + " s\n";
    t += "Bits that were no packet: " + std::to_string(stats.GarbageGaps) + " gaps, " +
         std::to_string(stats.GarbageBits) + " bits (\"Schrott\" lines); " +
         std::to_string(stats.UndecodablePackets) + " packets too short or long to decode\n";
    if (stats.MotorolaLines > 0)
        t += "Motorola records decoded: " + std::to_string(stats.MotorolaLines) + "\n";

    t += "\nPacket kinds                   packets  checksum failures\n";
    for (int k = 0; k < PacketKindCount; ++k) {
        const TCount& c = stats.Kinds[k];
        if (c.Packets == 0)
            continue;
        t += "  " + Padded(PacketKindName(static_cast<TPacketKind>(k)), 26) +
             RightAligned(std::to_string(c.Packets), 10) +
             RightAligned(std::to_string(c.ChecksumErrors), 19) + "\n";
    }

    std::size_t locos = 0;
    std::size_t accessories = 0;
    std::size_t madeUp = 0;
    for (const auto& entry : stats.Addresses) {
        if (!SeenIntact(entry.second))
            ++madeUp;
        else if (entry.first.IsLoco())
            ++locos;
        else
            ++accessories;
    }
    t += "\nLocomotives (" + std::to_string(locos) + ")\n";
    t += "  address          packets  failures  speed     direction  functions on\n";
    for (const auto& entry : stats.Locos) {
        const TCount& c = stats.Addresses.at(entry.first);
        if (!SeenIntact(c))
            continue;
        const TLocoState& s = entry.second;
        t += "  " + Padded(AddressKey(entry.first), 14) +
             RightAligned(std::to_string(c.Packets), 10) +
             RightAligned(std::to_string(c.ChecksumErrors), 10) + "  " + Padded(SpeedText(s), 10) +
             Padded(DirectionText(s), 11) + FunctionsText(s) + "\n";
    }

    t += "\nAccessory outputs (" + std::to_string(accessories) + ")\n";
    t += "  output              packets  failures\n";
    for (const auto& entry : stats.Addresses) {
        if (entry.first.IsLoco() || !SeenIntact(entry.second))
            continue;
        t += "  " + Padded(AddressKey(entry.first), 18) +
             RightAligned(std::to_string(entry.second.Packets), 9) +
             RightAligned(std::to_string(entry.second.ChecksumErrors), 10) + "\n";
    }
    if (madeUp > 0)
        t += "\n" + std::to_string(madeUp) +
             " more addresses were seen only in packets with checksum failures.\n";

    t += "\nPreamble lengths (ones before the start bit)\n";
    uint64_t most = 1;
    for (const auto& p : stats.Preambles)
        most = std::max(most, p.second);
    for (const auto& p : stats.Preambles) {
        const std::size_t bar = static_cast<std::size_t>(40 * p.second / most);
        t += "  " + RightAligned(std::to_string(p.first), 5) +
             RightAligned(std::to_string(p.second), 10) + "  " +
             std::string(std::max<std::size_t>(bar, 1), '#') + "\n";
    }
    return t;
}

std::string JsonEscape(const std::string& text) {
    std::string out;
    for (unsigned char c : text) {
        if (c == '"' || c == '\\') {
            out += '\\';
            out += static_cast<char>(c);
        } else if (c < 0x20) {
            char esc[8];
            std::snprintf(esc, sizeof esc, "\\u%04x", c);
            out += esc;
        } else {
            AppendLatin1(out, c);
        }
    }
    return out;
}

namespace {

std::string Str(const std::string& s) {
    return "\"" + JsonEscape(s) + "\"";
}

std::string Num(uint64_t n) {
    return std::to_string(n);
}

} // namespace

std::string JsonReport(const TDccStats& stats, const std::string& inputName) {
    std::string j = "{";
    j += "\"input\":" + Str(inputName);
    j += ",\"bytes\":" + Num(stats.Bytes);
    j += ",\"bytes_held_back\":" + Num(stats.BytesHeldBack());
    j += ",\"device_seconds\":" + Fixed(DeviceSeconds(stats), 3);
    j += ",\"packets\":" + Num(stats.Packets);
    j += ",\"checksum_errors\":" + Num(stats.ChecksumErrors);
    j += std::string(",\"motorola_mode\":") +
         (stats.Packets == 0 && (stats.MotorolaRecords > 0 || stats.MotorolaDecoding()) ? "true"
                                                                                        : "false");
    j += ",\"motorola_records\":" + Num(stats.MotorolaLines);
    std::string kinds;
    std::string kindErrors;
    for (int k = 0; k < PacketKindCount; ++k) {
        const std::string name = Str(PacketKindName(static_cast<TPacketKind>(k)));
        kinds += (k ? "," : "") + name + ":" + Num(stats.Kinds[k].Packets);
        kindErrors += (k ? "," : "") + name + ":" + Num(stats.Kinds[k].ChecksumErrors);
    }
    j += ",\"kinds\":{" + kinds + "}";
    j += ",\"kinds_checksum_errors\":{" + kindErrors + "}";
    std::string addresses;
    std::string addressErrors;
    for (const auto& a : stats.Addresses) {
        const std::string sep = addresses.empty() ? "" : ",";
        addresses += sep + Str(AddressKey(a.first)) + ":" + Num(a.second.Packets);
        addressErrors += sep + Str(AddressKey(a.first)) + ":" + Num(a.second.ChecksumErrors);
    }
    j += ",\"addresses\":{" + addresses + "}";
    j += ",\"addresses_checksum_errors\":{" + addressErrors + "}";
    std::string locos;
    for (const auto& l : stats.Locos) {
        const TLocoState& s = l.second;
        locos += locos.empty() ? "{" : ",{";
        const TCount& c = stats.Addresses.at(l.first);
        locos += "\"address\":" + Str(AddressKey(l.first));
        locos += ",\"packets\":" + Num(c.Packets);
        locos += ",\"checksum_errors\":" + Num(c.ChecksumErrors);
        locos += ",\"speed\":" + Str(SpeedText(s));
        locos += std::string(",\"direction\":") + Str(DirectionText(s));
        std::string on;
        for (int f = 0; f < TLocoState::FunctionCount; ++f) {
            if (s.FunctionsOn.test(static_cast<std::size_t>(f)))
                on += (on.empty() ? "" : ",") + std::to_string(f);
        }
        locos += ",\"functions_on\":[" + on + "]";
        locos += ",\"functions_known\":" + Num(s.FunctionsKnown.count());
        locos += "}";
    }
    j += ",\"locomotives\":[" + locos + "]";
    std::string preambles;
    for (const auto& p : stats.Preambles)
        preambles +=
            (preambles.empty() ? "\"" : ",\"") + std::to_string(p.first) + "\":" + Num(p.second);
    j += ",\"preambles\":{" + preambles + "}";
    j += ",\"garbage_gaps\":" + Num(stats.GarbageGaps);
    j += ",\"garbage_bits\":" + Num(stats.GarbageBits);
    j += ",\"undecodable_packets\":" + Num(stats.UndecodablePackets);
    j += ",\"device_info\":{\"records\":" + Num(stats.DeviceInfoRecords) +
         ",\"dcc\":" + Num(stats.DccRecords) + ",\"motorola\":" + Num(stats.MotorolaRecords) +
         ",\"version\":" + Str(stats.LastVersion) + "}";
    const TPacketsPerSecond pps = PacketsPerSecond(stats);
    j += ",\"packets_per_second\":{\"mean\":" + Fixed(pps.Mean, 3) +
         ",\"min\":" + Fixed(pps.Min, 0) + ",\"max\":" + Fixed(pps.Max, 0) +
         ",\"seconds\":" + Num(pps.Seconds) + "}";
    std::string perSecond;
    for (const auto& second : stats.PerSecond) {
        uint64_t n = 0;
        for (uint32_t c : second)
            n += c;
        perSecond += (perSecond.empty() ? "" : ",") + Num(n);
    }
    j += ",\"per_second\":[" + perSecond + "]";
    j += "}\n";
    return j;
}

std::string CsvHeader() {
    return "offset,device_time,length,bytes,kind,address,checksum\r\n";
}

std::string CsvRow(const TPacketEvent& e) {
    // Checksum: "ok", "failed", or "none" for a packet too short or long to
    // have one.
    const char* checksum = !HasChecksum(e.Count) ? "none" : e.ChecksumFailed ? "failed" : "ok";
    return std::to_string(e.Offset) + "," +
           Fixed(static_cast<double>(e.Offset) / DeviceBytesPerSecond, 4) + "," +
           std::to_string(e.Count) + "," + HexBytes(e.Bytes, e.Count) + "," +
           PacketKindName(e.Class.Kind) + "," + AddressKey(e.Class.Address) + "," + checksum +
           "\r\n";
}
