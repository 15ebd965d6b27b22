// What a command-line tool on the serial link needs to know of its console,
// kept here with the other system calls so the tools stay portable.
#pragma once

#include <cstdio>

// True when the stream is a terminal (a person watches it).
bool IsTerminal(std::FILE* stream);
