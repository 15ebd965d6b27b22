#include "line_settings.h"

void SetLineSettings(termios& t) {
    cfmakeraw(&t);
    t.c_cflag &= ~static_cast<tcflag_t>(CSIZE | PARENB | CSTOPB);
    t.c_cflag |= CS8 | CLOCAL | CREAD;
    cfsetispeed(&t, B19200);
    cfsetospeed(&t, B19200);
}

void SetNonWaitingReads(termios& t) {
    t.c_cc[VMIN] = 1;
    t.c_cc[VTIME] = 0;
}
