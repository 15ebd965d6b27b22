#include "decoder_comparison.h"

#include "headless_host.h"
#include "reference/rx_collector.h"
#include "reference/stream_decoder.h"
#include "rx_collector.h"
#include "stream_decoder.h"

#include <algorithm>
#include <cstdio>
#include <string_view>

namespace {

// A headless host that writes down everything the decoder does to it.
class TEventHost : public THeadlessHost {
public:
    explicit TEventHost(const TFuzzInput& input) {
        for (int i = 0; i < SwitchCount; ++i)
            THeadlessHost::SetChecked(static_cast<TSwitch>(i), input.SwitchOn(i));
        SetMinText(input.MinText);
        SetMaxText(input.MaxText);
        SetFixedTime("12:34:56:789");
    }

    void SetChecked(TSwitch s, bool on) override {
        Note("checked", s, on);
        THeadlessHost::SetChecked(s, on);
    }
    void SetVisible(TSwitch s, bool on) override {
        Note("visible", s, on);
        THeadlessHost::SetVisible(s, on);
    }
    void SetEnabled(TSwitch s, bool on) override {
        Note("enabled", s, on);
        THeadlessHost::SetEnabled(s, on);
    }
    void SetVersionText(const std::string& text) override {
        Events.push_back("version " + text);
        THeadlessHost::SetVersionText(text);
    }
    void AppendMonitorLine(std::string_view line) override {
        Events.push_back("Monitor: " + std::string(line));
    }
    void AppendBitstreamLine(std::string_view line) override {
        Events.push_back("Bitstream: " + std::string(line));
    }

    std::vector<std::string> Events;

private:
    void Note(const char* what, TSwitch s, bool on) {
        Events.push_back(std::string(what) + " " + SwitchName(s) + (on ? " 1" : " 0"));
    }
};

std::string Numbers(const int32_t* values, int count) {
    std::string text;
    for (int i = 0; i < count; ++i)
        text += " " + std::to_string(values[i]);
    return text;
}

// The state a later byte would meet, in the terms both decoders share.
template <typename TDecoder, typename TBuffer>
void NoteEndState(std::vector<std::string>& events, const TDecoder& d, const TBuffer& rx) {
    events.push_back("held back:" + Numbers(rx.RxBuffer, std::clamp(rx.RxCount, 0, 127)));
    events.push_back("PacketText: " + std::string(std::string_view(d.PacketText)));
    events.push_back("BitstreamText: " + std::string(std::string_view(d.BitstreamText)));
    events.push_back("GapText: " + std::string(std::string_view(d.GapText)));
    events.push_back("LastPacket: " + std::string(std::string_view(d.LastPacket)));
    events.push_back("InPacket " + std::to_string(d.InPacket) + " PacketComplete " +
                     std::to_string(d.PacketComplete) + " OnesCount " +
                     std::to_string(d.OnesCount) + " BitIndex " + std::to_string(d.BitIndex) +
                     " ByteCount " + std::to_string(d.ByteCount));
    events.push_back("MotBytes:" + Numbers(d.MotBytes, std::clamp(d.MotCount, 0, 20)));
}

// Both decoders take the same pieces and restart at the same places; the
// collection step is each one's own (found by argument-dependent lookup).
template <typename TDecoder, typename TBuffer>
std::vector<std::string> DecoderEvents(const TFuzzInput& input) {
    TEventHost host(input);
    TDecoder decoder(host);
    TBuffer rx;
    TFuzzPieces pieces(input.PieceSeed);
    for (std::size_t at = 0; at < input.StreamSize;) {
        const std::size_t n = pieces.Next(input.StreamSize - at);
        if (pieces.RestartBefore()) {
            host.Events.push_back("ResetAssembler");
            decoder.ResetAssembler();
        }
        CollectBytes(decoder, rx, input.Stream + at, n);
        at += n;
    }
    NoteEndState(host.Events, decoder, rx);
    return std::move(host.Events);
}

// Control characters and bytes from 0x80 as \xNN, the rest as it is.
std::string Printable(std::string_view text) {
    std::string out;
    for (const char c : text) {
        const auto u = static_cast<unsigned char>(c);
        if (u >= 0x20 && u < 0x7F && u != '\\') {
            out += c;
        } else {
            char escaped[8];
            std::snprintf(escaped, sizeof escaped, "\\x%02X", u);
            out += escaped;
        }
    }
    return out;
}

// An event as shown in a report: long ones (Bitstream lines and texts may
// hold thousands of bit characters) cut to a window around column at.
std::string Shown(const std::string& event, std::size_t at) {
    constexpr std::size_t Window = 100;
    if (event.size() <= 2 * Window)
        return Printable(event);
    const std::size_t from = at > Window / 2 ? at - Window / 2 : 0;
    std::string text = from > 0 ? "..." : "";
    text += Printable(std::string_view(event).substr(from, Window));
    if (from + Window < event.size())
        text += "...";
    return text + " (" + std::to_string(event.size()) + " characters)";
}

} // namespace

std::vector<std::string> FastDecoderEvents(const TFuzzInput& input) {
    return DecoderEvents<TStreamDecoder, TRxBuffer>(input);
}

std::vector<std::string> ReferenceDecoderEvents(const TFuzzInput& input) {
    return DecoderEvents<reference::TStreamDecoder, reference::TRxBuffer>(input);
}

std::string FirstDifference(const std::vector<std::string>& fast,
                            const std::vector<std::string>& reference) {
    const auto [f, r] = std::mismatch(fast.begin(), fast.end(), reference.begin(), reference.end());
    if (f == fast.end() && r == reference.end())
        return std::string();
    const std::size_t index = static_cast<std::size_t>(f - fast.begin());
    std::string text = "first difference at event " + std::to_string(index) + " (fast decoder " +
                       std::to_string(fast.size()) + " events, reference " +
                       std::to_string(reference.size()) + ")\n";
    for (std::size_t i = index > 3 ? index - 3 : 0; i < index; ++i)
        text += "  both       [" + std::to_string(i) + "] " + Shown(fast[i], 0) + "\n";
    std::size_t column = 0;
    if (f != fast.end() && r != reference.end()) {
        column = static_cast<std::size_t>(
            std::mismatch(f->begin(), f->end(), r->begin(), r->end()).first - f->begin());
        text += "  (they differ from column " + std::to_string(column) + ")\n";
    }
    const std::string at = "[" + std::to_string(index) + "] ";
    text +=
        "  fast       " + at + (f != fast.end() ? Shown(*f, column) : "(no more events)") + "\n";
    text += "  reference  " + at + (r != reference.end() ? Shown(*r, column) : "(no more events)") +
            "\n";
    return text;
}

std::string DescribeFuzzInput(const TFuzzInput& input) {
    std::string text = "switches on:";
    for (int i = 0; i < SwitchCount; ++i) {
        if (input.SwitchOn(i))
            text += std::string(" ") + SwitchName(static_cast<TSwitch>(i));
    }
    text += "; filter texts \"" + Printable(input.MinText) + "\" and \"" +
            Printable(input.MaxText) + "\"; piece seed " + std::to_string(input.PieceSeed) + "; " +
            std::to_string(input.StreamSize) + " stream bytes";
    return text;
}

std::string CompareDecoders(const TFuzzInput& input) {
    const std::string difference =
        FirstDifference(FastDecoderEvents(input), ReferenceDecoderEvents(input));
    if (difference.empty())
        return difference;
    return "The fast decoder and the reference differ on " + DescribeFuzzInput(input) + "\n" +
           difference;
}
