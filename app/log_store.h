// The lines of a log as single-byte (Latin-1) text: all bytes in one growing
// buffer, and per line only where its bytes start and how many there are.
// A 90-character line costs 90 bytes plus 12, where a QTextDocument block
// costs several hundred. Plain C++, no Qt.
#pragma once

#include <cstddef>
#include <cstdint>
#include <cstdlib>
#include <cstring>
#include <functional>
#include <new>
#include <string>
#include <string_view>
#include <type_traits>
#include <utility>
#include <vector>

// A growable array of plain values that grows with realloc: large blocks are
// moved by remapping their pages, not by copying them, so appending stays
// cheap even when the log holds hundreds of megabytes.
template <typename T> class TPodArray {
    static_assert(std::is_trivially_copyable_v<T>, "TPodArray holds plain values only");

public:
    TPodArray() = default;
    ~TPodArray() { std::free(Data); }
    TPodArray(const TPodArray&) = delete;
    TPodArray& operator=(const TPodArray&) = delete;

    size_t Size() const { return Count; }
    size_t Capacity() const { return Allocated; }
    bool Empty() const { return Count == 0; }
    T* Begin() { return Data; }
    const T* Begin() const { return Data; }
    T& operator[](size_t i) { return Data[i]; }
    const T& operator[](size_t i) const { return Data[i]; }
    T& Back() { return Data[Count - 1]; }
    const T& Back() const { return Data[Count - 1]; }

    void PushBack(T value) {
        if (Count == Allocated)
            Reserve(Count + 1);
        Data[Count++] = value;
    }
    void Append(const T* values, size_t n) {
        if (n == 0)
            return;
        Reserve(Count + n);
        std::memcpy(Data + Count, values, n * sizeof(T));
        Count += n;
    }
    // Opens a gap of n elements at index at; the caller fills it.
    void InsertGap(size_t at, size_t n) {
        if (n == 0)
            return;
        Reserve(Count + n);
        std::memmove(Data + at + n, Data + at, (Count - at) * sizeof(T));
        Count += n;
    }
    void Erase(size_t at, size_t n) {
        if (n == 0)
            return;
        std::memmove(Data + at, Data + at + n, (Count - at - n) * sizeof(T));
        Count -= n;
    }
    // Shrinking keeps the memory; growing leaves the new elements unset.
    void Resize(size_t n) {
        Reserve(n);
        Count = n;
    }
    // Gives the memory back, which a cleared log of millions of lines must do.
    void Release() {
        std::free(Data);
        Data = nullptr;
        Count = Allocated = 0;
    }
    void Reserve(size_t n) {
        if (n <= Allocated)
            return;
        size_t grown = Allocated + Allocated / 2;
        if (grown < n)
            grown = n;
        if (grown < 64)
            grown = 64;
        void* p = std::realloc(Data, grown * sizeof(T));
        if (p == nullptr)
            throw std::bad_alloc();
        Data = static_cast<T*>(p);
        Allocated = grown;
    }

private:
    T* Data = nullptr;
    size_t Count = 0;
    size_t Allocated = 0;
};

// A place in the text: a line and the number of bytes before it in that line.
struct TLogPos {
    size_t Line = 0;
    size_t Col = 0;
};
inline bool operator==(TLogPos a, TLogPos b) {
    return a.Line == b.Line && a.Col == b.Col;
}
inline bool operator!=(TLogPos a, TLogPos b) {
    return !(a == b);
}
inline bool operator<(TLogPos a, TLogPos b) {
    return a.Line < b.Line || (a.Line == b.Line && a.Col < b.Col);
}

// What a line is marked with besides its text; most lines have none.
enum class TLogMark : uint8_t {
    None,
    ChecksumError, // a packet whose bytes do not XOR to 0
    ShortPreamble, // a packet after fewer preamble bits than a command station must send
};

// Takes the written text piece by piece; false stops the writing.
using TLogSink = std::function<bool(const char*, size_t)>;
// Told now and then during a long write: lines written so far, of total.
using TLogProgress = std::function<void(size_t done, size_t total)>;

class TLogStore {
public:
    size_t LineCount() const { return Starts.Size(); }
    std::string_view Line(size_t i) const {
        return std::string_view(Bytes.Begin() + Starts[i], Lengths[i]);
    }
    size_t LineLength(size_t i) const { return Lengths[i]; }

    // Appends one line; line holds no '\n'.
    void Append(std::string_view line, TLogMark mark = TLogMark::None);
    // A line's mark. It stays with its line through edits of other lines and
    // goes when its line goes.
    TLogMark Mark(size_t i) const;
    // Removes every line and gives the memory back.
    void Clear();

    // The text is the lines joined by '\n'; no lines is the empty text. Replaces
    // the text from from to to (from not after to, both inside the text) by
    // text, whose '\n' separate lines, and returns the place just after it.
    // text must not point into this store.
    TLogPos Replace(TLogPos from, TLogPos to, std::string_view text);
    // The text from from to to, lines joined by '\n'.
    std::string Text(TLogPos from, TLogPos to) const;
    TLogPos End() const;

    // Hands the text to sink in pieces as UTF-8, each line followed by CR LF;
    // stops and returns false as soon as sink does. The lines there are when
    // it starts are written, whatever is appended meanwhile.
    bool WriteUtf8CrLf(const TLogSink& sink, const TLogProgress& progress = {}) const;
    // The same with every byte as it is, for a file in a single-byte code
    // page (Windows' ANSI code page holds the Latin-1 letters at their values).
    bool WriteLatin1CrLf(const TLogSink& sink, const TLogProgress& progress = {}) const;
    // The text from from to to as UTF-8, lines joined by '\n' (the clipboard's
    // form), in pieces.
    bool WriteUtf8(TLogPos from, TLogPos to, const TLogSink& sink,
                   const TLogProgress& progress = {}) const;

    // Bytes held for the lines, for the benchmark and the tests.
    size_t BytesInUse() const { return Bytes.Size(); }
    size_t UnusedBytes() const { return Unused; }

private:
    void Compact();
    void ShiftMarks(size_t first, size_t oldCount, size_t newCount);
    bool Write(TLogPos from, TLogPos to, bool utf8, const char* lineEnd, const TLogSink& sink,
               const TLogProgress& progress) const;

    TPodArray<char> Bytes;
    TPodArray<uint64_t> Starts;
    TPodArray<uint32_t> Lengths;
    // Bytes of lines that an edit has replaced; they are reclaimed when they
    // make up half of the buffer.
    size_t Unused = 0;
    // The marked lines and their marks, in the order of the lines: a mark
    // costs memory only where there is one.
    std::vector<std::pair<size_t, TLogMark>> Marks;
};
