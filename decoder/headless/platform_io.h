// The few calls of the command-line tools that differ between POSIX and
// Windows, so that their mains are the same on both and write the same bytes.
#pragma once

#include <string>

// Opens a file for reading, or creates (or truncates) one for writing, as
// raw bytes and not inherited by programs the tool starts. -1 with errno set
// on failure.
int OpenForReading(const std::string& path);
int CreateForWriting(const std::string& path);

// Standard input and output as raw bytes. Windows opens them in text mode,
// which writes "\n" as CR LF and ends the input at the first 0x1A byte.
void UseBinaryStdio();

// A closed pipe on the output is reported as a write failure, not a signal.
// Windows has no such signal; a write there just fails.
void IgnoreBrokenPipe();
