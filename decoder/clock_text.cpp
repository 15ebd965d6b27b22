#include "clock_text.h"

#include <ctime>

std::string FormatTimeText(int hour, int minute, int second, int millisecond) {
    const char text[12] = {
        static_cast<char>('0' + hour / 10 % 10),
        static_cast<char>('0' + hour % 10),
        ':',
        static_cast<char>('0' + minute / 10 % 10),
        static_cast<char>('0' + minute % 10),
        ':',
        static_cast<char>('0' + second / 10 % 10),
        static_cast<char>('0' + second % 10),
        ':',
        static_cast<char>('0' + millisecond / 100 % 10),
        static_cast<char>('0' + millisecond / 10 % 10),
        static_cast<char>('0' + millisecond % 10),
    };
    return std::string(text, sizeof text);
}

std::string LocalTimeText() {
    // With the time switch on every line asks for the time; the broken-down
    // local time only changes once a second, so it is computed once a second.
    static thread_local time_t cachedSecond = -1;
    static thread_local struct tm cachedLocal {};
    struct timespec now {};
    clock_gettime(CLOCK_REALTIME, &now);
    if (now.tv_sec != cachedSecond) {
#ifdef _WIN32
        localtime_s(&cachedLocal, &now.tv_sec);
#else
        localtime_r(&now.tv_sec, &cachedLocal);
#endif
        cachedSecond = now.tv_sec;
    }
    return FormatTimeText(cachedLocal.tm_hour, cachedLocal.tm_min, cachedLocal.tm_sec,
                          static_cast<int>(now.tv_nsec / 1000000));
}
