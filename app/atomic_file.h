// Writing a file that must never be left half-written: the settings file and
// the saved Monitor log. Plain C++ over the system's file calls, so the rules
// can be tested without a window, on Linux and under wine.
//
// The rules, the same for every file written here:
// - A symbolic link is followed (not on Windows): the file it points at is
//   written and the link stays a link.
// - A file marked read-only (no write permission bit; on Windows the
//   read-only attribute) or that this user may not write is left untouched:
//   a replacement would replace it all the same.
// - Where the folder takes new files, the content goes to a temporary file
//   beside the file, is flushed to the disk and then takes the file's place
//   in one step (rename; on Windows MoveFileExA, replacing and written
//   through), so a crash or a failed write never leaves half a file. A
//   replaced file keeps its permissions.
// - In a folder that takes no new file, a writable file is written in place:
//   the only way left to write it.
// - On failure any temporary file is removed and an existing file is left as
//   it was.
#pragma once

#include <cstddef>
#include <functional>
#include <string>

// Takes the next piece of the file's content; false when it could not be
// written, and then the content should stop (later pieces are refused too).
using TPieceSink = std::function<bool(const char* data, std::size_t size)>;

// Produces the content into the sink, piece by piece, so a long content
// never has to be held whole. An exception it throws leaves the file as it
// was and passes on.
using TContentWriter = std::function<void(const TPieceSink& sink)>;

// Writes content to path by the rules above. Returns "" when the file holds
// the whole content, otherwise the reason it does not: the system's text
// (trimmed of its line break and full stop), or a German one where the
// system gives none.
[[nodiscard]] std::string WriteFileWhole(const std::string& path, const TContentWriter& content);
