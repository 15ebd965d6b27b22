// The line the device talks on, in termios form: 19200 baud, 8 data bits, no
// parity, one stop bit, raw. Shared by the monitor's port set-up and by the
// simulated device, so both ends agree.
#pragma once

#include <termios.h>

// Sets speed, 8N1 and raw (binary) mode in a record read from a port; every
// other setting (hardware flow control, hang-up on close) keeps its value.
// Without raw mode the kernel would eat 0x11/0x13 (IXON), turn 0x0D into 0x0A
// (ICRNL), hold bytes back until a newline (ICANON) and raise signals on
// 0x03 (ISIG); the device's stream holds all of these bytes.
void SetLineSettings(termios& t);

// Non-waiting reads: with VMIN 1 and VTIME 0 on a non-blocking descriptor,
// "nothing waiting" is -1/EAGAIN and a read of 0 means the line hung up
// (with VMIN 0 both would look like 0).
void SetNonWaitingReads(termios& t);
