#include "clock_text.h"

#include <ctime>

namespace {

void AppendTwoDigits(std::string& out, int v) {
    out += static_cast<char>('0' + v / 10 % 10);
    out += static_cast<char>('0' + v % 10);
}

} // namespace

std::string FormatTimeText(int hour, int minute, int second, int millisecond) {
    std::string text;
    text.reserve(12);
    AppendTwoDigits(text, hour);
    text += ':';
    AppendTwoDigits(text, minute);
    text += ':';
    AppendTwoDigits(text, second);
    text += ':';
    text += static_cast<char>('0' + millisecond / 100 % 10);
    AppendTwoDigits(text, millisecond % 100);
    return text;
}

std::string LocalTimeText() {
    // With the time switch on every line asks for the time; the broken-down
    // local time only changes once a second, so it is computed once a second.
    static thread_local time_t cachedSecond = -1;
    static thread_local struct tm cachedLocal {};
    struct timespec now {};
    clock_gettime(CLOCK_REALTIME, &now);
    if (now.tv_sec != cachedSecond) {
        localtime_r(&now.tv_sec, &cachedLocal);
        cachedSecond = now.tv_sec;
    }
    return FormatTimeText(cachedLocal.tm_hour, cachedLocal.tm_min, cachedLocal.tm_sec,
                          static_cast<int>(now.tv_nsec / 1000000));
}
