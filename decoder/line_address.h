// The address a Monitor log line of a DCC packet is for, read back from the
// text the line composer wrote: "Lok %5i " (a locomotive; the text does not
// tell a short address from a long one of the same number) or
// "Schalten: %5i [" (a basic accessory output, numbered as the statistics
// number them). Time stamp and bits prefixes may stand before it; Motorola
// lines ("Lok 12", "Schalten 5") and every other line are for no address.
#pragma once

#include <cstdint>
#include <string_view>

struct TLineAddress {
    enum TKind { None, Loco, Accessory } Kind = None;
    int32_t Number = 0;
};

TLineAddress AddressOfMonitorLine(std::string_view line);
