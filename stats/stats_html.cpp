#include "stats_html.h"

#include "stats_report.h"

#include <algorithm>
#include <cmath>
#include <cstdio>
#include <vector>

namespace {

const char* const Colours[] = {"#1f77b4", "#ff7f0e", "#2ca02c", "#d62728", "#9467bd",
                               "#8c564b", "#e377c2", "#17becf", "#bcbd22", "#7f7f7f"};
constexpr int ChartKinds = 9; // the busiest kinds; the rest share the last colour

std::string Num(double v, int decimals = 1) {
    return Fixed(v, decimals);
}

// A round step for about `ticks` axis marks up to max.
double NiceStep(double max, int ticks) {
    const double raw = std::max(max, 1.0) / ticks;
    const double magnitude = std::pow(10.0, std::floor(std::log10(raw)));
    for (double m : {1.0, 2.0, 5.0, 10.0}) {
        if (raw <= m * magnitude)
            return m * magnitude;
    }
    return 10 * magnitude;
}

std::string Cell(const std::string& text, bool number = false) {
    return std::string(number ? "<td class=\"n\">" : "<td>") + XmlEscape(text) + "</td>";
}

std::string Row(const std::string& label, const std::string& value) {
    return "<tr><th>" + XmlEscape(label) + "</th>" + Cell(value, true) + "</tr>\n";
}

// Packets per second by kind over device time, as stacked bars.
std::string RateChart(const TDccStats& stats) {
    const double W = 1000, H = 320, left = 60, right = 190, top = 10, bottom = 40;
    const double plotW = W - left - right, plotH = H - top - bottom;
    const std::size_t seconds = std::max<std::size_t>(stats.PerSecond.size(), 1);
    const std::size_t bin = (seconds + 299) / 300; // at most 300 bars
    const std::size_t bars = (seconds + bin - 1) / bin;

    std::vector<int> order(PacketKindCount);
    for (int k = 0; k < PacketKindCount; ++k)
        order[static_cast<std::size_t>(k)] = k;
    std::stable_sort(order.begin(), order.end(), [&](int a, int b) {
        return stats.Kinds[static_cast<std::size_t>(a)].Packets >
               stats.Kinds[static_cast<std::size_t>(b)].Packets;
    });
    std::vector<int> series; // index into order; -1 for "other"
    std::vector<int> seriesOf(PacketKindCount, -1);
    for (int i = 0; i < PacketKindCount && i < ChartKinds; ++i) {
        const int k = order[static_cast<std::size_t>(i)];
        if (stats.Kinds[static_cast<std::size_t>(k)].Packets == 0)
            break;
        seriesOf[static_cast<std::size_t>(k)] = static_cast<int>(series.size());
        series.push_back(k);
    }
    const int seriesCount = static_cast<int>(series.size()) + 1;

    // Per bar and series, packets per second.
    std::vector<std::vector<double>> rate(bars, std::vector<double>(seriesCount, 0));
    double maxRate = 0;
    for (std::size_t b = 0; b < bars; ++b) {
        double sum = 0;
        for (std::size_t s = b * bin; s < std::min(seconds, (b + 1) * bin); ++s) {
            if (s >= stats.PerSecond.size())
                break;
            for (int k = 0; k < PacketKindCount; ++k) {
                int idx = seriesOf[static_cast<std::size_t>(k)];
                if (idx < 0)
                    idx = seriesCount - 1;
                rate[b][static_cast<std::size_t>(idx)] +=
                    stats.PerSecond[s][static_cast<std::size_t>(k)] / static_cast<double>(bin);
            }
        }
        for (double r : rate[b])
            sum += r;
        maxRate = std::max(maxRate, sum);
    }
    const double step = NiceStep(maxRate, 5);
    const double yMax = std::max(step, std::ceil(maxRate / step) * step);

    std::string s = "<svg xmlns=\"http://www.w3.org/2000/svg\" class=\"chart\" id=\"rate-chart\" "
                    "width=\"" +
                    Num(W, 0) + "\" height=\"" + Num(H, 0) + "\" viewBox=\"0 0 " + Num(W, 0) + " " +
                    Num(H, 0) + "\">\n";
    s += "<title>Packets per second by kind</title>\n";
    for (double y = 0; y <= yMax + step / 2; y += step) {
        const double py = top + plotH - plotH * y / yMax;
        s += "<line x1=\"" + Num(left) + "\" y1=\"" + Num(py) + "\" x2=\"" + Num(left + plotW) +
             "\" y2=\"" + Num(py) + "\" stroke=\"#ddd\"/>";
        s += "<text x=\"" + Num(left - 6) + "\" y=\"" + Num(py + 4) + "\" text-anchor=\"end\">" +
             Num(y, 0) + "</text>\n";
    }
    const double barW = plotW / static_cast<double>(bars);
    for (std::size_t b = 0; b < bars; ++b) {
        double y = top + plotH;
        for (int i = 0; i < seriesCount; ++i) {
            const double r = rate[b][static_cast<std::size_t>(i)];
            if (r <= 0)
                continue;
            const double h = plotH * r / yMax;
            y -= h;
            s += "<rect x=\"" + Num(left + b * barW, 2) + "\" y=\"" + Num(y, 2) + "\" width=\"" +
                 Num(std::max(barW - (barW > 3 ? 1 : 0), 0.5), 2) + "\" height=\"" + Num(h, 2) +
                 "\" fill=\"" + Colours[i < seriesCount - 1 ? i : 9] + "\"/>";
        }
        s += "\n";
    }
    // Time axis: about ten marks in seconds.
    const double total = static_cast<double>(bars * bin);
    const double tStep = NiceStep(total, 10);
    for (double t = 0; t <= total + 1e-9; t += tStep) {
        const double px = left + plotW * t / total;
        s += "<text x=\"" + Num(px) + "\" y=\"" + Num(top + plotH + 16) +
             "\" text-anchor=\"middle\">" + Num(t, 0) + "</text>";
    }
    s += "\n<text x=\"" + Num(left + plotW / 2) + "\" y=\"" + Num(H - 6) +
         "\" text-anchor=\"middle\">device time (s)</text>\n";
    s += "<line x1=\"" + Num(left) + "\" y1=\"" + Num(top + plotH) + "\" x2=\"" +
         Num(left + plotW) + "\" y2=\"" + Num(top + plotH) + "\" stroke=\"#333\"/>\n";
    for (int i = 0; i < seriesCount; ++i) {
        const double ly = top + 18.0 * i;
        const std::string name =
            i < seriesCount - 1 ? PacketKindName(static_cast<TPacketKind>(series[i])) : "other";
        s += "<rect x=\"" + Num(left + plotW + 14) + "\" y=\"" + Num(ly) +
             "\" width=\"12\" height=\"12\" fill=\"" + Colours[i < seriesCount - 1 ? i : 9] +
             "\"/><text x=\"" + Num(left + plotW + 32) + "\" y=\"" + Num(ly + 10) + "\">" +
             XmlEscape(name) + "</text>\n";
    }
    s += "</svg>\n";
    return s;
}

// How many packets had each preamble length, as bars.
std::string PreambleChart(const TDccStats& stats) {
    const double W = 1000, H = 260, left = 70, right = 20, top = 10, bottom = 40;
    const double plotW = W - left - right, plotH = H - top - bottom;
    // Lengths beyond 40 ones share the last bar.
    int32_t lo = 40, hi = 0;
    for (const auto& p : stats.Preambles) {
        lo = std::min(lo, std::min<int32_t>(p.first, 40));
        hi = std::max(hi, std::min<int32_t>(p.first, 40));
    }
    if (hi < lo)
        lo = hi = 0;
    std::vector<uint64_t> counts(static_cast<std::size_t>(hi - lo + 1), 0);
    for (const auto& p : stats.Preambles)
        counts[static_cast<std::size_t>(std::min<int32_t>(p.first, 40) - lo)] += p.second;
    uint64_t most = 1;
    for (uint64_t c : counts)
        most = std::max(most, c);
    const double step = NiceStep(static_cast<double>(most), 5);
    const double yMax = std::max(step, std::ceil(most / step) * step);

    std::string s = "<svg xmlns=\"http://www.w3.org/2000/svg\" class=\"chart\" "
                    "id=\"preamble-chart\" width=\"" +
                    Num(W, 0) + "\" height=\"" + Num(H, 0) + "\" viewBox=\"0 0 " + Num(W, 0) + " " +
                    Num(H, 0) + "\">\n<title>Preamble lengths</title>\n";
    for (double y = 0; y <= yMax + step / 2; y += step) {
        const double py = top + plotH - plotH * y / yMax;
        s += "<line x1=\"" + Num(left) + "\" y1=\"" + Num(py) + "\" x2=\"" + Num(left + plotW) +
             "\" y2=\"" + Num(py) + "\" stroke=\"#ddd\"/><text x=\"" + Num(left - 6) + "\" y=\"" +
             Num(py + 4) + "\" text-anchor=\"end\">" + Num(y, 0) + "</text>\n";
    }
    const double barW = plotW / static_cast<double>(counts.size());
    for (std::size_t i = 0; i < counts.size(); ++i) {
        const double h = plotH * static_cast<double>(counts[i]) / yMax;
        const double x = left + barW * static_cast<double>(i);
        const int32_t length = lo + static_cast<int32_t>(i);
        s += "<rect x=\"" + Num(x + 2, 2) + "\" y=\"" + Num(top + plotH - h, 2) + "\" width=\"" +
             Num(std::max(barW - 4, 1.0), 2) + "\" height=\"" + Num(h, 2) +
             "\" fill=\"#1f77b4\"><title>" + std::to_string(length) +
             " ones: " + std::to_string(counts[i]) + " packets</title></rect>";
        s += "<text x=\"" + Num(x + barW / 2) + "\" y=\"" + Num(top + plotH + 16) +
             "\" text-anchor=\"middle\">" + std::to_string(length) +
             (length == 40 && hi == 40 ? "+" : "") + "</text>\n";
    }
    s += "<text x=\"" + Num(left + plotW / 2) + "\" y=\"" + Num(H - 6) +
         "\" text-anchor=\"middle\">ones before the start bit</text>\n</svg>\n";
    return s;
}

} // namespace

std::string XmlEscape(const std::string& text) {
    std::string out;
    for (unsigned char c : text) {
        switch (c) {
        case '&':
            out += "&amp;";
            break;
        case '<':
            out += "&lt;";
            break;
        case '>':
            out += "&gt;";
            break;
        case '"':
            out += "&quot;";
            break;
        default:
            if (c < 0x20 && c != '\t' && c != '\n')
                out += '?'; // not allowed in XML at all
            else
                AppendLatin1(out, c);
        }
    }
    return out;
}

std::string HtmlReport(const TDccStats& stats, const std::string& inputName) {
    std::string h = "<!DOCTYPE html>\n<html xmlns=\"http://www.w3.org/1999/xhtml\" lang=\"en\">\n"
                    "<head>\n<meta charset=\"utf-8\"/>\n<title>Fennox report: " +
                    XmlEscape(inputName) + "</title>\n";
    h += "<style>\n"
         "body{font-family:sans-serif;margin:20px;color:#222}\n"
         "table{border-collapse:collapse;margin:8px 0 16px}\n"
         "th,td{border:1px solid #ccc;padding:3px 8px;text-align:left}\n"
         "td.n{text-align:right}\n"
         "th{background:#f0f0f0}\n"
         ".chart text{font-size:12px;font-family:sans-serif}\n"
         ".cols{display:flex;gap:30px;flex-wrap:wrap}\n"
         "</style>\n</head>\n<body>\n";
    h += "<h1>Fennox recording report</h1>\n<p>" + XmlEscape(inputName) + "</p>\n";

    const TPacketsPerSecond pps = PacketsPerSecond(stats);
    h += "<div class=\"cols\">\n<div>\n<h2>Summary</h2>\n<table>\n";
    h += Row("bytes", std::to_string(stats.Bytes));
    h += Row("device time (s)", Num(DeviceSeconds(stats), 1));
    h += Row("packets", std::to_string(stats.Packets));
    h += Row("checksum failures", std::to_string(stats.ChecksumErrors));
    h += Row("packets per second (mean)", Num(pps.Mean, 1));
    h += Row("packets per second (min / max)", Num(pps.Min, 0) + " / " + Num(pps.Max, 0));
    h += Row("gaps with bits that were no packet", std::to_string(stats.GarbageGaps));
    h += Row("bits in those gaps", std::to_string(stats.GarbageBits));
    h += Row("packets too short or long to decode", std::to_string(stats.UndecodablePackets));
    h += Row("device info records", std::to_string(stats.DeviceInfoRecords));
    h += Row("firmware", stats.LastVersion.empty() ? "-" : stats.LastVersion);
    h += Row("bytes held back, not decoded", std::to_string(stats.BytesHeldBack()));
    h += "</table>\n";
    if (stats.Packets == 0)
        h += std::string("<p><strong>") +
             (stats.MotorolaRecords > 0 || stats.MotorolaDecoding()
                  ? "No DCC packets: the recording is in Motorola mode."
                  : "No DCC packets found.") +
             "</strong></p>\n";
    h += "</div>\n<div>\n<h2>Packet kinds</h2>\n<table>\n"
         "<tr><th>kind</th><th>packets</th><th>checksum failures</th></tr>\n";
    for (int k = 0; k < PacketKindCount; ++k) {
        const TCount& c = stats.Kinds[static_cast<std::size_t>(k)];
        if (c.Packets == 0)
            continue;
        h += "<tr>" + Cell(PacketKindName(static_cast<TPacketKind>(k))) +
             Cell(std::to_string(c.Packets), true) + Cell(std::to_string(c.ChecksumErrors), true) +
             "</tr>\n";
    }
    h += "</table>\n</div>\n</div>\n";

    h += "<h2>Packets per second by kind</h2>\n" + RateChart(stats);
    h += "<h2>Locomotives</h2>\n<table>\n<tr><th>address</th><th>packets</th>"
         "<th>checksum failures</th><th>speed</th><th>direction</th><th>functions on</th></tr>\n";
    std::size_t madeUp = 0;
    for (const auto& l : stats.Locos) {
        const TCount& c = stats.Addresses.at(l.first);
        if (!SeenIntact(c)) {
            ++madeUp;
            continue;
        }
        const TLocoState& s = l.second;
        h += "<tr>" + Cell(AddressKey(l.first)) + Cell(std::to_string(c.Packets), true) +
             Cell(std::to_string(c.ChecksumErrors), true) + Cell(SpeedText(s)) +
             Cell(DirectionText(s)) + Cell(FunctionsText(s)) + "</tr>\n";
    }
    h += "</table>\n";
    if (madeUp > 0)
        h += "<p>" + std::to_string(madeUp) +
             " more locomotive addresses were seen only in packets with checksum failures.</p>\n";
    h += "<h2>Preamble lengths</h2>\n" + PreambleChart(stats);
    h += "<h2>Accessory outputs</h2>\n<table>\n<tr><th>output</th><th>packets</th>"
         "<th>checksum failures</th></tr>\n";
    for (const auto& a : stats.Addresses) {
        if (a.first.IsLoco() || !SeenIntact(a.second))
            continue;
        h += "<tr>" + Cell(AddressKey(a.first)) + Cell(std::to_string(a.second.Packets), true) +
             Cell(std::to_string(a.second.ChecksumErrors), true) + "</tr>\n";
    }
    h += "</table>\n</body>\n</html>\n";
    return h;
}
