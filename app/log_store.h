// The lines of a log as single-byte (Latin-1) text, in blocks: lines go into
// an open block; a full block is sealed, its text compressed with zlib, and
// per block only its line count, a histogram of its line lengths, its wrapped
// rows and the compressed bytes are kept. A line of a sealed block is read
// through a small cache of decompressed blocks; an edit opens the blocks it
// touches again. So memory grows with what the lines say, not with how many
// there are: a week of traffic fits. Plain C++, no toolkit.
#pragma once

#include <array>
#include <cstddef>
#include <cstdint>
#include <functional>
#include <memory>
#include <string>
#include <string_view>
#include <utility>
#include <vector>

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

// The wrapped rows of one block, kept for the model that wraps the lines.
// Version 0: not known since the block was made or changed.
struct TLogBlockRows {
    uint64_t Rows = 0;
    uint32_t Version = 0;
    // Counted from the text, not estimated from the lengths.
    bool Exact = false;
};

// How many lines of a block have a length in each range: [8k, 8k + 8) for
// k < 31, and 248 or more in the last, whose bytes are counted too. Enough
// to estimate the rows of a block at any width without its text.
struct TLogLengths {
    static constexpr size_t Buckets = 32;
    std::array<uint16_t, Buckets> Count{};
    uint32_t LongBytes = 0;
    void Add(size_t length);
};

class TLogStore {
public:
    // A block holds at most this much text; then it is sealed.
    static constexpr size_t BlockBytes = 64 * 1024;
    static constexpr size_t BlockLines = 16384;

    TLogStore();
    ~TLogStore();
    TLogStore(const TLogStore&) = delete;
    TLogStore& operator=(const TLogStore&) = delete;

    size_t LineCount() const;
    // A line's bytes. The view stays valid until the store changes or lines
    // of several other sealed blocks have been read.
    std::string_view Line(size_t i) const;
    size_t LineLength(size_t i) const { return Line(i).size(); }

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

    // The blocks, in order; the last one is open and takes the appended lines.
    size_t BlockCount() const { return Blocks.size(); }
    size_t BlockOfLine(size_t line) const;
    size_t FirstLineOfBlock(size_t b) const { return Blocks[b].FirstLine; }
    size_t LinesOfBlock(size_t b) const { return Blocks[b].Lines; }
    size_t LongestLineOfBlock(size_t b) const { return Blocks[b].Longest; }
    // Whether the block's text is kept compressed.
    bool BlockIsSealed(size_t b) const { return !Blocks[b].Open; }
    const TLogLengths& LengthsOfBlock(size_t b) const { return Blocks[b].Lengths; }
    // Stays the same while the block's lines do.
    uint64_t BlockId(size_t b) const { return Blocks[b].Id; }
    // The model's record of the block's rows; a cache, so it may change in a
    // const store.
    TLogBlockRows& RowsOfBlock(size_t b) const { return Blocks[b].Rows; }

    // The bytes of the lines' text, as if each were kept on its own.
    size_t BytesInUse() const { return TextBytes; }
    // What the store holds in memory: compressed and open text, the blocks'
    // records, the cache and the marks.
    size_t MemoryInUse() const;

private:
    // The text of an open block, a '\n' after every line, and where each
    // line starts in it.
    struct TText {
        std::string Text;
        std::vector<uint32_t> Starts;
    };
    struct TBlock {
        uint64_t Id = 0;
        size_t FirstLine = 0;
        uint32_t Lines = 0;
        // Text bytes, a '\n' after every line.
        uint32_t Bytes = 0;
        uint32_t Longest = 0;
        uint32_t PackedSize = 0;
        TLogLengths Lengths;
        // Sealed: the text compressed. Open: the text itself.
        std::unique_ptr<uint8_t[]> Packed;
        std::unique_ptr<TText> Open;
        mutable TLogBlockRows Rows;
    };
    // A decompressed sealed block.
    struct TCached {
        uint64_t Id = 0;
        uint64_t Used = 0;
        TText Text;
    };

    TBlock& NewBlock(size_t at);
    void AddLine(TBlock& block, std::string_view line);
    void Seal(TBlock& block);
    // A full block is sealed a slice at a time, one slice an appended line,
    // so that no append waits for the whole of it. Start, the next slice,
    // and the rest at once (before anything else uses zlib's state); or
    // none of it, for a block that is gone.
    void StartSealing(TBlock& block);
    void SealSlice(size_t bytes);
    void FinishSealing();
    void DropSealing();
    // The text of a block and where its lines start, decompressed into the
    // cache if sealed.
    const TText& TextOf(const TBlock& block) const;
    void Renumber(size_t fromBlock);
    // Keeps the blocks an edit opened few: the oldest are sealed again.
    void SealEdited(size_t keep);
    void ShiftMarks(size_t first, size_t oldCount, size_t newCount);
    bool Write(TLogPos from, TLogPos to, bool utf8, const char* lineEnd, const TLogSink& sink,
               const TLogProgress& progress) const;

    std::vector<TBlock> Blocks;
    uint64_t NextId = 1;
    // A sealed block's text, kept for the next block to fill; and room for
    // compressing one.
    std::unique_ptr<TText> Spare;
    std::vector<uint8_t> Scratch;
    // zlib's state, kept from block to block: making it anew each time costs
    // more than compressing a block's lines.
    struct TZip;
    mutable std::unique_ptr<TZip> Zip;
    // The block being sealed a slice at a time (0: none), by id.
    uint64_t Sealing = 0;
    size_t TextBytes = 0;
    // Blocks opened by edits, most recent last, by id.
    std::vector<uint64_t> Edited;
    mutable std::vector<TCached> Cache;
    mutable uint64_t CacheClock = 0;
    // The marked lines and their marks, in the order of the lines: a mark
    // costs memory only where there is one.
    std::vector<std::pair<size_t, TLogMark>> Marks;
};
