#include "analysis_rows.h"

#include "latin1_text.h"
#include "stats_report.h"

#include <cstdio>

namespace {

const char* const KindMeanings[PacketKindCount] = {
    "Leerlauf (Idle)",
    "R\xC3\xBC"
    "cksetzen (Reset)",
    "Fahrstufe 14/28",
    "Fahrstufe 128",
    "Funktionen F0-F4",
    "Funktionen F5-F8",
    "Funktionen F9-F12",
    "Funktionen F13-F20",
    "Funktionen F21-F28",
    "Funktionen F29-F36",
    "Funktionen F37-F44",
    "Funktionen F45-F52",
    "Funktionen F53-F60",
    "Funktionen F61-F68",
    "Bin\xC3\xA4rzustand (kurz)",
    "Bin\xC3\xA4rzustand (lang)",
    "Fahrstufe und Funktionen",
    "Analogfunktion",
    "Mehrfachtraktion",
    "Dekodersteuerung",
    "CV-Zugriff (lang)",
    "CV-Zugriff (kurz)",
    "CV-Zugriff (erweitert)",
    "Zubeh\xC3\xB6r",
    "Zubeh\xC3\xB6r (erweitert)",
    "Zubeh\xC3\xB6r-NOP (RailCom)",
    "Zubeh\xC3\xB6r-CV-Zugriff",
    "Programmiergleis (direkt)",
    "Programmiergleis (Seite)",
    "Anmeldung (254)",
    "Daten\xC3\xBC"
    "bertragung (253)",
    "unbekannt",
};

std::string Count(uint64_t n) {
    return std::to_string(n);
}

std::string Utf8Of(const std::string& latin1) {
    return Latin1ToUtf8(latin1);
}

} // namespace

std::string KindMeaning(TPacketKind kind) {
    return KindMeanings[static_cast<int>(kind)];
}

std::string AddressText(const TPacketAddress& a) {
    const std::string n = std::to_string(a.Number);
    switch (a.Space) {
    case TAddressSpace::Short:
        return n + " (kurz)";
    case TAddressSpace::Long:
        return n + " (lang)";
    case TAddressSpace::Broadcast:
        return "0 (alle)";
    case TAddressSpace::Accessory:
        return n;
    case TAddressSpace::ExtAccessory:
        return n + " (erw.)";
    case TAddressSpace::None:
        break;
    }
    return std::string();
}

std::string SpeedInGerman(const TLocoState& s) {
    return SpeedText(s, "Halt", "Nothalt");
}

std::string DirectionInGerman(const TLocoState& s) {
    if (!s.HasDirection)
        return "?";
    return s.Forward ? "vorw\xC3\xA4rts"
                     : "r\xC3\xBC"
                       "ckw\xC3\xA4rts";
}

std::string AccessoryStateText(const TAccessoryState& a) {
    if (!a.Known)
        return "?";
    if (a.Extended)
        return "Aspekt " + std::to_string(a.Aspect);
    return std::string(a.Coil ? "G" : "R") + (a.On ? " Ein" : " Aus");
}

std::string PercentText(uint64_t part, uint64_t whole) {
    std::string text = Fixed(whole == 0 ? 0.0 : 100.0 * static_cast<double>(part) / whole, 1);
    for (char& c : text) {
        if (c == '.')
            c = ',';
    }
    return text + " %";
}

std::string ClockSeconds(const std::string& time) {
    return time.substr(0, 8);
}

std::string PacketsLine(const TLiveStats& live) {
    const TDccStats& s = live.Stats();
    std::string line = "Pakete: " + Count(s.Packets) +
                       ", Pr\xC3\xBC"
                       "fsummenfehler: " +
                       Count(s.ChecksumErrors) + " (" + PercentText(s.ChecksumErrors, s.Packets) +
                       ")";
    std::size_t madeUp = 0;
    for (const auto& entry : s.Addresses)
        madeUp += SeenIntact(entry.second) ? 0 : 1;
    if (madeUp > 0)
        line += ", " + Count(madeUp) + " Adressen nur in fehlerhaften Paketen";
    return line;
}

std::string RateLine(const TLiveStats& live) {
    return "Pakete pro Sekunde: " + Count(live.PacketsLastSecond()) +
           " (h\xC3\xB6"
           "chstens " +
           Count(live.MostPacketsPerSecond()) + ")";
}

std::string DeviceLine(const TLiveStats& live) {
    const TDccStats& s = live.Stats();
    if (s.DeviceInfoRecords == 0)
        return "Ger\xC3\xA4te-Info: noch keine";
    std::string line = "Ger\xC3\xA4te-Info: " + Count(s.DeviceInfoRecords) + " (DCC " +
                       Count(s.DccRecords) + ", Motorola " + Count(s.MotorolaRecords) +
                       "), Firmware " + Utf8Of(s.LastVersion);
    if (s.Packets == 0 && s.MotorolaDecoding())
        line += ", Motorola-Betrieb: keine DCC-Pakete";
    return line;
}

std::string RecordingLine(const TRawRecording& r) {
    const std::string size = Count(r.BytesWritten()) + " Bytes";
    if (r.Recording())
        return "Aufzeichnung: " + r.Path() + ", " + size;
    if (r.Open())
        return "Aufzeichnung wird abgeschlossen: " + r.Path() + ", " + size;
    if (!r.Failure().empty())
        return "Aufzeichnung abgebrochen (" + r.Failure() + "): " + r.Path() + ", " + size +
               " geschrieben";
    if (!r.Path().empty())
        return "Aufzeichnung beendet: " + r.Path() + ", " + size;
    return "Aufzeichnung: keine";
}

std::vector<TTable::TRow> KindRows(const TDccStats& stats) {
    std::vector<TTable::TRow> rows;
    for (int k = 0; k < PacketKindCount; ++k) {
        const TCount& c = stats.Kinds[static_cast<std::size_t>(k)];
        if (c.Packets == 0)
            continue;
        const auto kind = static_cast<TPacketKind>(k);
        rows.push_back(
            {PacketKindName(kind), KindMeaning(kind), Count(c.Packets), Count(c.ChecksumErrors)});
    }
    return rows;
}

namespace {

std::string LastSeen(const TLiveStats& live, const TPacketAddress& a) {
    const auto seen = live.Seen().find(a);
    return seen == live.Seen().end() ? std::string() : ClockSeconds(seen->second.Time);
}

} // namespace

TAddressRows LocoRows(const TLiveStats& live) {
    const TDccStats& s = live.Stats();
    TAddressRows r;
    for (const auto& [address, state] : s.Locos) {
        const TCount& c = s.Addresses.at(address);
        if (!SeenIntact(c))
            continue;
        r.Rows.push_back({AddressText(address), Count(c.Packets), Count(c.ChecksumErrors),
                          SpeedInGerman(state), DirectionInGerman(state), LastSeen(live, address),
                          FunctionsText(state)});
        r.Addresses.push_back(address);
    }
    return r;
}

TAddressRows AccessoryRows(const TLiveStats& live) {
    TAddressRows r;
    for (const auto& [address, c] : live.Stats().Addresses) {
        if (address.IsLoco() || !SeenIntact(c))
            continue;
        const auto seen = live.Seen().find(address);
        r.Rows.push_back(
            {AddressText(address), Count(c.Packets), Count(c.ChecksumErrors),
             seen == live.Seen().end() ? "?" : AccessoryStateText(seen->second.Accessory),
             LastSeen(live, address)});
        r.Addresses.push_back(address);
    }
    return r;
}

std::vector<TTable::TRow> TraceRows(const TLiveStats& live) {
    const std::deque<TTraceEntry>& entries = live.TraceEntries();
    std::vector<TTable::TRow> rows;
    rows.reserve(entries.size());
    for (auto e = entries.rbegin(); e != entries.rend(); ++e) {
        const int n = static_cast<int>(e->Bytes.size());
        const char* checksum = !HasChecksum(n)     ? "\xE2\x80\x93"
                               : e->ChecksumFailed ? "falsch"
                                                   : "gut";
        rows.push_back({e->Time, HexBytes(e->Bytes.data(), n), Utf8Of(e->Text), checksum});
    }
    return rows;
}

std::string TraceHeading(const TLiveStats& live) {
    if (!live.Tracing())
        return "Verlauf: eine Lok oder einen Ausgang in der Tabelle w\xC3\xA4hlen";
    const TPacketAddress& a = live.TracedAt();
    return std::string("Verlauf: ") + (a.IsLoco() ? "Lok " : "Ausgang ") + AddressText(a) +
           ", die letzten " + Count(live.TraceCapacity()) + " Pakete";
}

std::vector<TBar> PreambleBars(const TDccStats& stats) {
    std::vector<TBar> bars;
    for (const auto& [ones, packets] : stats.Preambles)
        bars.push_back({std::to_string(ones), packets, ones < CommandStationPreamble});
    return bars;
}
