// The decoder's only window onto the world: the display switches, the filter
// fields, the two logs, the version field and the clock. The main window
// implements it; so do the headless host of the tools and the tests.
#pragma once

#include <cstdint>
#include <string>
#include <string_view>

// The check boxes the decoder reads or changes, named after their controls.
enum class TSwitch : int {
    cbx_time,
    cbx_binaer,
    cbx_bitstream,
    cbx_schrott,
    cbx_only_once,
    cbx_filter,
    cbx_schaltbefehle,
    cbx_nur_ON,
    cbx_lokbefehle_s,
    cbx_lokbefehle_f,
    cbx_railcom,
    cbx_idle,
    cbx_sonstige,
    cbx_cv,
    cbx_mot,
    cbx_dcc_stream,
};

constexpr int SwitchCount = static_cast<int>(TSwitch::cbx_dcc_stream) + 1;

// The control name of a switch ("cbx_time"...).
const char* SwitchName(TSwitch s);

// Finds a switch by its control name without the "cbx_" prefix, ignoring case
// ("time", "NUR_on"). Returns false when no switch has that name.
bool SwitchFromShortName(const std::string& name, TSwitch& out);

class TDecoderHost {
public:
    // State of a check box at this moment; only the checked state counts.
    virtual bool IsChecked(TSwitch s) const = 0;
    // A host that keeps the checked states as SwitchCount flags in memory,
    // indexed by TSwitch, lives as long as the decoder and changes them only
    // there may hand them out: the decoder then reads a flag where it would
    // call IsChecked, which it does several times per packet. The states are
    // still read at the moment of use. nullptr: IsChecked is called.
    virtual const bool* CheckedStates() const { return nullptr; }
    virtual void SetChecked(TSwitch s, bool checked) = 0;
    virtual void SetVisible(TSwitch s, bool visible) = 0;
    virtual void SetEnabled(TSwitch s, bool enabled) = 0;

    // Inclusive address bounds, kept in step with the two filter fields.
    virtual int32_t FilterMin() const = 0;
    virtual int32_t FilterMax() const = 0;
    // The texts of the two filter fields, as typed.
    virtual std::string MinText() const = 0;
    virtual std::string MaxText() const = 0;

    // Lines are single-byte (Latin-1) text without a line end. The decoder
    // passes its own buffers, valid only for the call: a host that keeps a
    // line copies it, one that writes it out needs no copy at all.
    virtual void AppendMonitorLine(std::string_view line) = 0;
    virtual void AppendBitstreamLine(std::string_view line) = 0;

    // What the line of a DCC packet does not show: whether the packet's
    // bytes, error byte included, XOR to 0, and the ones between the last
    // packet's end bit and its start bit (-1 for the first packet after a
    // start of reception, whose preamble may have begun before it).
    struct TPacketFacts {
        bool ChecksumOk;
        int32_t PreambleOnes;
    };
    // A host that shows these facts beside the lines (the window marks
    // them) says so; the decoder asks once, when it is made, and then hands
    // every packet's line to AppendPacketLine. For other hosts nothing is
    // worked out and the line goes to AppendMonitorLine as ever.
    virtual bool WantsPacketFacts() const { return false; }
    virtual void AppendPacketLine(std::string_view line, const TPacketFacts&) {
        AppendMonitorLine(line);
    }
    virtual void SetVersionText(const std::string& text) = 0;

    // The current local time as "hh:nn:ss:zzz", valid until the next call.
    // A line with a time stamp asks for it; a view spares a string each time.
    virtual std::string_view TimeText() = 0;

protected:
    ~TDecoderHost() = default;
};
