#include "decoder_host.h"

#include <cctype>

namespace {

const char* const SwitchNames[SwitchCount] = {
    "cbx_time",         "cbx_binaer",       "cbx_bitstream",     "cbx_schrott",
    "cbx_only_once",    "cbx_filter",       "cbx_schaltbefehle", "cbx_nur_ON",
    "cbx_lokbefehle_s", "cbx_lokbefehle_f", "cbx_railcom",       "cbx_idle",
    "cbx_sonstige",     "cbx_cv",           "cbx_mot",           "cbx_dcc_stream",
};

bool EqualsIgnoringCase(const std::string& a, const char* b) {
    std::size_t i = 0;
    for (; i < a.size() && b[i] != '\0'; ++i) {
        if (std::tolower(static_cast<unsigned char>(a[i])) !=
            std::tolower(static_cast<unsigned char>(b[i])))
            return false;
    }
    return i == a.size() && b[i] == '\0';
}

} // namespace

const char* SwitchName(TSwitch s) {
    return SwitchNames[static_cast<int>(s)];
}

bool SwitchFromShortName(const std::string& name, TSwitch& out) {
    for (int i = 0; i < SwitchCount; ++i) {
        if (EqualsIgnoringCase(name, SwitchNames[i] + 4)) {
            out = static_cast<TSwitch>(i);
            return true;
        }
    }
    return false;
}
