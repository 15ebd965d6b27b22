// A line under composition. Appending is a bounds check and a copy, inline,
// so a line of many small fragments costs little; the fragments of literal
// text are copied with their length known at compile time.
#pragma once

#include "text_copy.h"

#include <cstddef>
#include <cstring>
#include <memory>
#include <string>
#include <string_view>

// The appends both kinds of line share, on top of the one each makes its
// own: Append(const char*, size) and Append(char).
template <class TText> class TAppends {
public:
    template <std::size_t N> void Append(const char (&literal)[N]) {
        Self().Append(literal, N - 1);
    }
    // The first literal when first is true, else the second.
    template <std::size_t N, std::size_t M>
    void AppendEither(bool first, const char (&a)[N], const char (&b)[M]) {
        if (first)
            Append(a);
        else
            Append(b);
    }
    void Append(std::string_view text) { Self().Append(text.data(), text.size()); }

private:
    TText& Self() { return static_cast<TText&>(*this); }
};

class TLineBuffer : public TAppends<TLineBuffer> {
public:
    using TAppends::Append;
    TLineBuffer() : Storage(new char[256]), Capacity(256) {}

    void Clear() { Used = 0; }
    bool Empty() const { return Used == 0; }
    std::size_t Size() const { return Used; }
    const char* Data() const { return Storage.get(); }
    // Drops what was appended after the first size characters.
    void Truncate(std::size_t size) { Used = size < Used ? size : Used; }

    // Room for size more characters at the end, to be written through the
    // pointer returned.
    char* Extend(std::size_t size) {
        Reserve(size);
        char* at = Storage.get() + Used;
        Used += size;
        return at;
    }

    void Append(char c) {
        Reserve(1);
        Storage[Used++] = c;
    }
    void Append(const char* text, std::size_t size) {
        Reserve(size);
        std::memcpy(Storage.get() + Used, text, size);
        Used += size;
    }

    std::string Text() const { return std::string(Storage.get(), Used); }

private:
    void Reserve(std::size_t size) {
        if (Capacity - Used < size)
            Enlarge(size);
    }
    void Enlarge(std::size_t size) {
        const std::size_t capacity = Used + size + Capacity;
        std::unique_ptr<char[]> larger(new char[capacity]);
        std::memcpy(larger.get(), Storage.get(), Used);
        Storage = std::move(larger);
        Capacity = capacity;
    }

    std::unique_ptr<char[]> Storage;
    std::size_t Capacity;
    std::size_t Used = 0;
};

// A place to write in room already made, taken and handed back by value: a
// function that gets and returns one keeps it in a register, where a writer
// passed by reference would be stored and loaded again around every
// character stored (a character store may alias anything). Such a function
// returns where it stopped, which must not be dropped.
class [[nodiscard]] TLineCursor : public TAppends<TLineCursor> {
public:
    using TAppends::Append;
    explicit TLineCursor(char* at) : At(at) {}

    char* Position() const { return At; }
    char* Extend(std::size_t size) {
        char* at = At;
        At += size;
        return at;
    }
    void Append(char c) { *At++ = c; }
    void Append(const char* text, std::size_t size) {
        CopyText(At, text, size);
        At += size;
    }
    // The first size characters of the N of text, all N stored: a choice
    // between texts (or none) made without a branch, which data bits make
    // unpredictable. The room must hold N more characters.
    template <std::size_t N> void AppendFirst(const char (&text)[N], std::size_t size) {
        std::memcpy(At, text, N);
        At += size;
    }

private:
    char* At;
};

// Writes at the end of a line buffer through a cursor of its own, for text
// whose length has a known bound (a log line): the room is made once, so
// appending has no checks, and the cursor stays in a register where the
// buffer's size would be read again after every character stored. Finish
// gives the buffer its new size; nothing else may touch the buffer before.
class TLineWriter : public TLineCursor {
public:
    TLineWriter(TLineBuffer& line, std::size_t most)
        : TLineCursor(line.Extend(most)), Line(line), Start(Position()), Most(most) {}
    TLineWriter(const TLineWriter&) = delete;
    TLineWriter& operator=(const TLineWriter&) = delete;

    void Finish() { Line.Truncate(Line.Size() - Most + Written()); }
    std::size_t Written() const { return static_cast<std::size_t>(Position() - Start); }
    // Drops what was written after the first size characters.
    void Truncate(std::size_t size) { MoveTo(TLineCursor(Start + size)); }
    // For a function that writes through a cursor: hand it this one, then
    // move on to where it returns.
    TLineCursor Cursor() const { return *this; }
    void MoveTo(TLineCursor cursor) { static_cast<TLineCursor&>(*this) = cursor; }

private:
    TLineBuffer& Line;
    char* const Start;
    const std::size_t Most;
};
