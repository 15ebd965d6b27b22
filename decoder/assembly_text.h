// The texts the bit assembler builds: the Packet text, the Bitstream log line
// and the gap text. Each keeps at most its first MaxLength characters, so a
// stream without packet starts cannot grow memory without bound.
//
// The assembler appends every bit of the track to two of them, so appending
// is made as cheap as it gets: the storage is allocated once at its full
// size with a spare word past the bound, and a piece of up to eight
// characters is stored as one unconditional 8-byte copy, after which the
// size moves by the piece's length, held at the bound. Characters copied
// beyond the size are never read. In front of the text the storage has room
// for a line prefix, so a gap line ("Schrott: " and the gap) is handed to the
// window where the gap text already lies.
#pragma once

#include "text_copy.h"

#include <cstddef>
#include <cstdint>
#include <cstring>
#include <iosfwd>
#include <memory>
#include <string>
#include <string_view>

class TAssemblyText {
public:
    static constexpr std::size_t MaxLength = 65536;
    // Room before the text for PrefixedView.
    static constexpr std::size_t PrefixRoom = 16;

    TAssemblyText() : Storage(new char[PrefixRoom + MaxLength + Spare]) {
        // PrefixedView compares the room with its prefix before storing it.
        std::memset(Storage.get(), 0, PrefixRoom);
    }
    TAssemblyText(const TAssemblyText& other) : TAssemblyText() { *this = other.View(); }
    TAssemblyText& operator=(const TAssemblyText& other) {
        if (this != &other)
            *this = other.View();
        return *this;
    }
    // Keeps the first MaxLength characters of text.
    TAssemblyText& operator=(std::string_view text) {
        Used = text.size() < MaxLength ? text.size() : MaxLength;
        CopyText(Begin(), text.data(), Used);
        return *this;
    }

    std::size_t size() const { return Used; }
    bool empty() const { return Used == 0; }
    const char* data() const { return Begin(); }
    char operator[](std::size_t i) const { return Begin()[i]; }
    std::string_view View() const { return std::string_view(Begin(), Used); }
    operator std::string_view() const { return View(); }
    std::string substr(std::size_t pos, std::size_t count = std::string::npos) const {
        return std::string(View().substr(pos, count));
    }
    void clear() { Used = 0; }

    // Appending keeps the first MaxLength characters; the rest is lost.
    void push_back(char c) {
        Begin()[Used] = c;
        Used += Used < MaxLength;
    }
    void append(const char* text, std::size_t count) {
        const std::size_t room = MaxLength - Used;
        const std::size_t kept = count < room ? count : room;
        std::memcpy(Begin() + Used, text, kept);
        Used += kept;
    }
    // The first count (at most 8) of the eight characters at piece.
    void AppendPiece(const char* piece, std::size_t count) {
        std::memcpy(Begin() + Used, piece, Spare);
        Used += count;
        Used = Used < MaxLength ? Used : MaxLength;
    }

    // The same with the character at index at (below count) replaced by c.
    void AppendPiece(const char* piece, std::size_t count, std::size_t at, char c) {
        // Patched in place after the copy: a piece patched in a local array
        // and then read as one word would wait for the byte store to land.
        std::memcpy(Begin() + Used, piece, Spare);
        Begin()[Used + at] = c;
        Used += count;
        Used = Used < MaxLength ? Used : MaxLength;
    }

    // Whether c is one of the characters; a word of eight at a time.
    bool Contains(char c) const {
        const char* text = Begin();
        if (Used < 8) {
            for (std::size_t i = 0; i < Used; ++i) {
                if (text[i] == c)
                    return true;
            }
            return false;
        }
        // A byte equal to c becomes zero; a word has a zero byte exactly
        // when this expression has a bit set. The last word overlaps the
        // one before so that no character past the text is looked at.
        constexpr uint64_t Ones = 0x0101010101010101u;
        const uint64_t pattern = Ones * static_cast<unsigned char>(c);
        const auto hasZeroByte = [](uint64_t v) {
            return ((v - Ones) & ~v & 0x8080808080808080u) != 0;
        };
        for (std::size_t i = 0; i + 8 <= Used; i += 8) {
            if (hasZeroByte(Word(text + i) ^ pattern))
                return true;
        }
        return hasZeroByte(Word(text + Used - 8) ^ pattern);
    }

    // Whether count more characters fit below the bound.
    bool Holds(std::size_t count) const { return count <= MaxLength - Used; }

    // The text with prefix (at most PrefixRoom characters) written just
    // before it; valid until the text changes.
    std::string_view PrefixedView(std::string_view prefix) {
        char* start = Begin() - prefix.size();
        if (prefix.size() >= 8) {
            // Two words that overlap, rather than a copy of varying length;
            // and only when the room does not hold the prefix already (most
            // gap lines have the same one), since the window's copy of the
            // line would otherwise read characters stored just now, which
            // the processor hands on slowly.
            const char* last = prefix.data() + prefix.size() - 8;
            if (Word(start) != Word(prefix.data()) || Word(Begin() - 8) != Word(last)) {
                std::memcpy(start, prefix.data(), 8);
                std::memcpy(Begin() - 8, last, 8);
            }
        } else {
            std::memcpy(start, prefix.data(), prefix.size());
        }
        return std::string_view(start, prefix.size() + Used);
    }

    // Appends pieces like AppendPiece with the end held in a local, so that
    // storing characters does not make the compiler reload it (a character
    // store may alias anything). Commit writes the end back, Reload takes it
    // up again; nothing else may change the text in between.
    //
    // Bounded false: the caller has made sure that the text cannot reach its
    // bound while the appender lives (see Holds), so the bound is not held
    // after every piece.
    template <bool Bounded = true> class TAppender {
    public:
        explicit TAppender(TAssemblyText& text)
            : Text(text), Begin(text.Begin()), Used(text.Used) {}
        TAppender(const TAppender&) = delete;
        TAppender& operator=(const TAppender&) = delete;
        void AppendPiece(const char* piece, std::size_t count) {
            std::memcpy(Begin + Used, piece, Spare);
            Used += count;
            if constexpr (Bounded)
                Used = Used < MaxLength ? Used : MaxLength;
        }
        void AppendPiece(const char* piece, std::size_t count, std::size_t at, char c) {
            std::memcpy(Begin + Used, piece, Spare);
            Begin[Used + at] = c;
            Used += count;
            if constexpr (Bounded)
                Used = Used < MaxLength ? Used : MaxLength;
        }
        void Commit() { Text.Used = Used; }
        void Reload() { Used = Text.Used; }

    private:
        TAssemblyText& Text;
        char* const Begin;
        std::size_t Used;
    };

    friend bool operator==(const TAssemblyText& a, const TAssemblyText& b) {
        return a.View() == b.View();
    }
    friend bool operator==(const TAssemblyText& a, std::string_view b) { return a.View() == b; }
    friend bool operator==(std::string_view a, const TAssemblyText& b) { return a == b.View(); }
    friend bool operator!=(const TAssemblyText& a, const TAssemblyText& b) { return !(a == b); }
    friend bool operator!=(const TAssemblyText& a, std::string_view b) { return !(a == b); }
    friend bool operator!=(std::string_view a, const TAssemblyText& b) { return !(a == b); }
    friend std::ostream& operator<<(std::ostream& out, const TAssemblyText& text);

private:
    static constexpr std::size_t Spare = 8;
    static uint64_t Word(const char* text) {
        uint64_t word;
        std::memcpy(&word, text, 8);
        return word;
    }
    char* Begin() { return Storage.get() + PrefixRoom; }
    const char* Begin() const { return Storage.get() + PrefixRoom; }

    std::unique_ptr<char[]> Storage;
    std::size_t Used = 0;
};
