// What a command-line tool on the serial link needs to know of its console,
// kept here with the other system calls so the tools stay portable.
#pragma once

#include <cstddef>
#include <cstdio>

// True when the stream is a terminal (a person watches it or types into
// it): a console on Windows, a tty elsewhere.
bool IsTerminal(std::FILE* stream);

// write() for UTF-8 text: to a file or a pipe the bytes as they are (the
// same bytes on every platform); to a Windows console the characters they
// encode, which the console would otherwise read in its own code page
// ("R├╝ckw." for "Rückw."). size should end on a character's last byte, as
// a whole line does. Returns the bytes taken, or -1 with errno set.
long WriteText(int fd, const char* data, std::size_t size);
