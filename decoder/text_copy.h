// memcpy for the short texts of log lines, inline: a call into the library
// for every piece of a line (the time, the Packet text, a label) costs more
// than the copy itself.
#pragma once

#include <cstddef>
#include <cstring>

// Pieces of 16, 8 or 4 characters, the last one overlapping the one before,
// cover every length with no byte beyond either text touched. The two texts
// must not overlap.
inline void CopyText(char* to, const char* from, std::size_t size) {
    if (size > 128) {
        std::memcpy(to, from, size);
    } else if (size >= 16) {
        for (std::size_t at = 0; at + 16 < size; at += 16)
            std::memcpy(to + at, from + at, 16);
        std::memcpy(to + size - 16, from + size - 16, 16);
    } else if (size >= 8) {
        std::memcpy(to, from, 8);
        std::memcpy(to + size - 8, from + size - 8, 8);
    } else if (size >= 4) {
        std::memcpy(to, from, 4);
        std::memcpy(to + size - 4, from + size - 4, 4);
    } else if (size > 0) {
        to[0] = from[0];
        to[size / 2] = from[size / 2];
        to[size - 1] = from[size - 1];
    }
}
