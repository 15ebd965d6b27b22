#include "log_store.h"

#include <zlib.h>

#ifdef __GLIBC__
#include <malloc.h>
#endif

#include <algorithm>
#include <cstdlib>
#include <cstring>
#include <stdexcept>

namespace {

// Decompressed blocks kept at once: a screen's rows, the caret's line, and
// what an edit or a search reads, without a round trip to zlib each time.
constexpr size_t CacheBlocks = 16;
// Blocks an edit may keep open before the oldest is sealed again.
constexpr size_t EditedBlocks = 8;

// How much of a full block's text goes through zlib with each appended line:
// a block of 64 kB is sealed over some 30 lines, a few ticks of the receive
// loop, instead of within one.
constexpr size_t SealSliceBytes = 2 * 1024;

// zlib's level 7: on a log's lines about 15 times smaller at some 2 us a
// line; level 6 leaves them twice as big per hour, level 8 takes twice as
// long.
constexpr int CompressionLevel = 7;

void IndexLines(const std::string& text, std::vector<uint32_t>& starts) {
    starts.clear();
    for (size_t at = 0; at < text.size();) {
        starts.push_back(static_cast<uint32_t>(at));
        const void* nl = std::memchr(text.data() + at, '\n', text.size() - at);
        at = static_cast<const char*>(nl) - text.data() + 1;
    }
}

template <typename TText> std::string_view LineIn(const TText& t, size_t i) {
    const size_t begin = t.Starts[i];
    const size_t end = (i + 1 < t.Starts.size() ? t.Starts[i + 1] : t.Text.size()) - 1;
    return std::string_view(t.Text.data() + begin, end - begin);
}

} // namespace

struct TLogStore::TZip {
    z_stream Deflate{};
    z_stream Inflate{};
    TZip() {
        if (deflateInit2(&Deflate, CompressionLevel, Z_DEFLATED, 15, 8, Z_DEFAULT_STRATEGY) !=
                Z_OK ||
            inflateInit(&Inflate) != Z_OK)
            throw std::bad_alloc();
    }
    ~TZip() {
        deflateEnd(&Deflate);
        inflateEnd(&Inflate);
    }
};

void TLogLengths::Add(size_t length) {
    const size_t k = std::min(length / 8, Buckets - 1);
    if (Count[k] < UINT16_MAX)
        ++Count[k];
    if (k == Buckets - 1)
        LongBytes += static_cast<uint32_t>(std::min<size_t>(length, UINT32_MAX - LongBytes));
}

TLogStore::TLogStore() {
    NewBlock(0);
}

TLogStore::~TLogStore() = default;

size_t TLogStore::LineCount() const {
    const TBlock& last = Blocks.back();
    return last.FirstLine + last.Lines;
}

size_t TLogStore::BlockOfLine(size_t line) const {
    const auto after = std::upper_bound(Blocks.begin(), Blocks.end(), line,
                                        [](size_t l, const TBlock& b) { return l < b.FirstLine; });
    return static_cast<size_t>(after - Blocks.begin()) - 1;
}

TLogStore::TBlock& TLogStore::NewBlock(size_t at) {
    TBlock& b = *Blocks.emplace(Blocks.begin() + static_cast<std::ptrdiff_t>(at));
    b.Id = NextId++;
    b.Open = Spare ? std::move(Spare) : std::make_unique<TText>();
    if (at > 0)
        b.FirstLine = Blocks[at - 1].FirstLine + Blocks[at - 1].Lines;
    return b;
}

void TLogStore::AddLine(TBlock& block, std::string_view line) {
    if (line.size() >= UINT32_MAX - block.Bytes)
        throw std::length_error("Zeile zu lang");
    block.Open->Starts.push_back(static_cast<uint32_t>(block.Open->Text.size()));
    block.Open->Text.append(line);
    block.Open->Text.push_back('\n');
    ++block.Lines;
    block.Bytes += static_cast<uint32_t>(line.size() + 1);
    block.Longest = std::max(block.Longest, static_cast<uint32_t>(line.size()));
    block.Lengths.Add(line.size());
}

void TLogStore::Append(std::string_view line, TLogMark mark) {
    TBlock* tail = &Blocks.back();
    if (tail->Lines > 0 && (tail->Bytes + line.size() >= BlockBytes || tail->Lines >= BlockLines)) {
        FinishSealing();
        StartSealing(*tail);
        tail = &NewBlock(Blocks.size());
        // The room a full block needs, so appending does not copy its text
        // again and again (kept from the last sealed block when there is one).
        tail->Open->Text.reserve(BlockBytes + 256);
    }
    if (mark != TLogMark::None)
        Marks.emplace_back(LineCount(), mark);
    AddLine(*tail, line);
    TextBytes += line.size();
    SealSlice(SealSliceBytes);
}

void TLogStore::Seal(TBlock& block) {
    FinishSealing();
    if (!block.Open)
        return;
    StartSealing(block);
    FinishSealing();
}

void TLogStore::StartSealing(TBlock& block) {
    if (!Zip)
        Zip = std::make_unique<TZip>();
    z_stream& z = Zip->Deflate;
    const std::string& text = block.Open->Text;
    Scratch.resize(deflateBound(&z, text.size()));
    z.next_in = reinterpret_cast<Bytef*>(const_cast<char*>(text.data()));
    z.avail_in = 0;
    z.next_out = Scratch.data();
    z.avail_out = static_cast<uInt>(Scratch.size());
    Sealing = block.Id;
}

void TLogStore::SealSlice(size_t bytes) {
    if (Sealing == 0)
        return;
    // Lines are appended behind it: it is the block before the last.
    auto block = std::find_if(Blocks.rbegin(), Blocks.rend(),
                              [this](const TBlock& b) { return b.Id == Sealing; });
    if (block == Blocks.rend() || !block->Open) {
        DropSealing();
        return;
    }
    z_stream& z = Zip->Deflate;
    const std::string& text = block->Open->Text;
    // Handed to zlib so far: what it took, and what it has still to take.
    const size_t given =
        static_cast<size_t>(z.next_in - reinterpret_cast<const Bytef*>(text.data())) + z.avail_in;
    const size_t slice = std::min(bytes, text.size() - given);
    z.avail_in += static_cast<uInt>(slice);
    const bool last = given + slice == text.size();
    int done = deflate(&z, last ? Z_FINISH : Z_NO_FLUSH);
    while (done == Z_OK && z.avail_out == 0) {
        // Beyond deflate's bound: more room, where the output goes on.
        const size_t out = z.total_out;
        Scratch.resize(Scratch.size() * 2);
        z.next_out = Scratch.data() + out;
        z.avail_out = static_cast<uInt>(Scratch.size() - out);
        done = deflate(&z, last ? Z_FINISH : Z_NO_FLUSH);
    }
    if (!last && (done == Z_OK || done == Z_BUF_ERROR))
        return;
    const size_t size = z.total_out;
    deflateReset(&z);
    Sealing = 0;
    if (done != Z_STREAM_END)
        throw std::bad_alloc();
    // Exactly as much as the compressed text needs.
    block->Packed.reset(new uint8_t[size]);
    std::memcpy(block->Packed.get(), Scratch.data(), size);
    block->PackedSize = static_cast<uint32_t>(size);
    block->Open->Text.clear();
    block->Open->Starts.clear();
    Spare = std::move(block->Open);
}

void TLogStore::FinishSealing() {
    SealSlice(SIZE_MAX);
}

void TLogStore::DropSealing() {
    if (Sealing == 0)
        return;
    deflateReset(&Zip->Deflate);
    Sealing = 0;
}

const TLogStore::TText& TLogStore::TextOf(const TBlock& block) const {
    if (block.Open)
        return *block.Open;
    TCached* slot = nullptr;
    for (TCached& c : Cache) {
        if (c.Id == block.Id) {
            c.Used = ++CacheClock;
            return c.Text;
        }
        if (slot == nullptr || c.Used < slot->Used)
            slot = &c;
    }
    if (Cache.size() < CacheBlocks) {
        // Never moved once made: views of its lines stay where they are.
        Cache.reserve(CacheBlocks);
        slot = &Cache.emplace_back();
    }
    slot->Id = block.Id;
    slot->Used = ++CacheClock;
    slot->Text.Text.resize(block.Bytes);
    if (!Zip)
        Zip = std::make_unique<TZip>();
    z_stream& z = Zip->Inflate;
    z.next_in = block.Packed.get();
    z.avail_in = block.PackedSize;
    z.next_out = reinterpret_cast<Bytef*>(&slot->Text.Text[0]);
    z.avail_out = block.Bytes;
    const int done = inflate(&z, Z_FINISH);
    const size_t size = z.total_out;
    inflateReset(&z);
    if (done != Z_STREAM_END || size != block.Bytes)
        throw std::runtime_error("Protokollblock kann nicht gelesen werden");
    IndexLines(slot->Text.Text, slot->Text.Starts);
    return slot->Text;
}

std::string_view TLogStore::Line(size_t i) const {
    const TBlock& b = Blocks[BlockOfLine(i)];
    return LineIn(TextOf(b), i - b.FirstLine);
}

TLogMark TLogStore::Mark(size_t i) const {
    const auto at = std::lower_bound(Marks.begin(), Marks.end(), std::make_pair(i, TLogMark::None));
    return at != Marks.end() && at->first == i ? at->second : TLogMark::None;
}

void TLogStore::Clear() {
    DropSealing();
    std::vector<TBlock>().swap(Blocks);
    Spare.reset();
    std::vector<uint8_t>().swap(Scratch);
    std::vector<TCached>().swap(Cache);
    std::vector<std::pair<size_t, TLogMark>>().swap(Marks);
    Edited.clear();
    TextBytes = 0;
    NewBlock(0);
#ifdef __GLIBC__
    // The freed blocks go back to the system, not only to the heap.
    malloc_trim(0);
#endif
}

TLogPos TLogStore::End() const {
    const size_t n = LineCount();
    return n == 0 ? TLogPos{} : TLogPos{n - 1, LineLength(n - 1)};
}

void TLogStore::Renumber(size_t fromBlock) {
    for (size_t b = std::max<size_t>(fromBlock, 1); b < Blocks.size(); ++b)
        Blocks[b].FirstLine = Blocks[b - 1].FirstLine + Blocks[b - 1].Lines;
    if (fromBlock == 0 && !Blocks.empty())
        Blocks[0].FirstLine = 0;
}

TLogPos TLogStore::Replace(TLogPos from, TLogPos to, std::string_view text) {
    // An edit may remove or rebuild the block being sealed.
    FinishSealing();
    // Editing needs a line to stand in; the empty text is one empty line here.
    if (LineCount() == 0)
        Append(std::string_view());

    const size_t first = BlockOfLine(from.Line);
    const size_t last = BlockOfLine(to.Line);
    // Only the two blocks at the ends are read; those between are replaced
    // whole and never opened.
    const std::string head(Line(from.Line).substr(0, from.Col));
    const std::string tail(Line(to.Line).substr(to.Col));
    std::vector<std::string> before, after;
    {
        const TBlock& b = Blocks[first];
        for (size_t i = b.FirstLine; i < from.Line; ++i)
            before.emplace_back(Line(i));
        const TBlock& e = Blocks[last];
        for (size_t i = to.Line + 1; i < e.FirstLine + e.Lines; ++i)
            after.emplace_back(Line(i));
    }

    std::vector<std::string_view> pieces;
    for (size_t start = 0;;) {
        const size_t nl = text.find('\n', start);
        pieces.push_back(text.substr(start, nl == std::string_view::npos ? nl : nl - start));
        if (nl == std::string_view::npos)
            break;
        start = nl + 1;
    }
    const size_t oldCount = to.Line - from.Line + 1;
    const size_t newCount = pieces.size();
    ShiftMarks(from.Line, oldCount, newCount);

    // The lines of the blocks first..last, rebuilt into open blocks.
    const bool lastIsTail = last + 1 == Blocks.size();
    for (size_t b = first; b <= last; ++b) {
        TextBytes -= Blocks[b].Bytes - Blocks[b].Lines;
        Edited.erase(std::remove(Edited.begin(), Edited.end(), Blocks[b].Id), Edited.end());
    }
    Blocks.erase(Blocks.begin() + static_cast<std::ptrdiff_t>(first),
                 Blocks.begin() + static_cast<std::ptrdiff_t>(last + 1));
    size_t at = first;
    TBlock* block = &NewBlock(at);
    const auto add = [&](std::string_view line) {
        if (block->Lines > 0 &&
            (block->Bytes + line.size() >= BlockBytes || block->Lines >= BlockLines)) {
            Edited.push_back(block->Id);
            block = &NewBlock(++at);
        }
        AddLine(*block, line);
        TextBytes += line.size();
    };
    for (const std::string& line : before)
        add(line);
    for (size_t k = 0; k < newCount; ++k) {
        std::string line = k == 0 ? head : std::string();
        line.append(pieces[k]);
        if (k + 1 == newCount)
            line += tail;
        add(line);
    }
    for (const std::string& line : after)
        add(line);
    // The last of them takes appended lines if the edit reached the end.
    if (!lastIsTail)
        Edited.push_back(block->Id);
    Renumber(first);
    SealEdited(EditedBlocks);

    const TLogPos end{from.Line + newCount - 1,
                      pieces.back().size() + (newCount == 1 ? head.size() : 0)};
    if (LineCount() == 1 && LineLength(0) == 0) {
        Clear();
        return TLogPos{};
    }
    return end;
}

void TLogStore::SealEdited(size_t keep) {
    while (Edited.size() > keep) {
        const uint64_t id = Edited.front();
        Edited.erase(Edited.begin());
        for (TBlock& b : Blocks) {
            if (b.Id == id && &b != &Blocks.back()) {
                Seal(b);
                Spare.reset();
            }
        }
    }
}

void TLogStore::ShiftMarks(size_t first, size_t oldCount, size_t newCount) {
    // The first line of an edit keeps its mark; the other replaced lines lose
    // theirs, and the lines after the edit move with it.
    auto it = std::upper_bound(Marks.begin(), Marks.end(), std::make_pair(first, TLogMark::None));
    if (it != Marks.end() && it->first == first)
        ++it;
    auto end = std::lower_bound(it, Marks.end(), std::make_pair(first + oldCount, TLogMark::None));
    it = Marks.erase(it, end);
    for (; it != Marks.end(); ++it)
        it->first = it->first + newCount - oldCount;
}

size_t TLogStore::MemoryInUse() const {
    size_t bytes = Blocks.capacity() * sizeof(TBlock) + Cache.capacity() * sizeof(TCached) +
                   Marks.capacity() * sizeof(Marks[0]) + Edited.capacity() * sizeof(uint64_t);
    const auto text = [](const TText& t) {
        return t.Text.capacity() + t.Starts.capacity() * sizeof(uint32_t);
    };
    for (const TBlock& b : Blocks)
        bytes += b.PackedSize + (b.Open ? sizeof(TText) + text(*b.Open) : 0);
    for (const TCached& c : Cache)
        bytes += text(c.Text);
    return bytes + (Spare ? text(*Spare) : 0) + Scratch.capacity();
}

std::string TLogStore::Text(TLogPos from, TLogPos to) const {
    std::string out;
    Write(from, to, false, "\n",
          [&out](const char* data, size_t n) {
              out.append(data, n);
              return true;
          },
          {});
    return out;
}

bool TLogStore::WriteUtf8CrLf(const TLogSink& sink, const TLogProgress& progress) const {
    return Write(TLogPos{}, End(), true, "\r\n", sink, progress) &&
           (LineCount() == 0 || sink("\r\n", 2));
}

bool TLogStore::WriteLatin1CrLf(const TLogSink& sink, const TLogProgress& progress) const {
    return Write(TLogPos{}, End(), false, "\r\n", sink, progress) &&
           (LineCount() == 0 || sink("\r\n", 2));
}

bool TLogStore::WriteUtf8(TLogPos from, TLogPos to, const TLogSink& sink,
                          const TLogProgress& progress) const {
    return Write(from, to, true, "\n", sink, progress);
}

bool TLogStore::Write(TLogPos from, TLogPos to, bool utf8, const char* lineEnd,
                      const TLogSink& sink, const TLogProgress& progress) const {
    if (LineCount() == 0)
        return true;
    // Pieces of a quarter megabyte: few calls, little memory.
    constexpr size_t Piece = 256 * 1024;
    const size_t endLength = std::strlen(lineEnd);
    std::string buffer;
    buffer.reserve(Piece + 64);
    const auto flush = [&] {
        const bool ok = buffer.empty() || sink(buffer.data(), buffer.size());
        buffer.clear();
        return ok;
    };
    const size_t total = to.Line - from.Line + 1;
    // Block by block: each is decompressed once, and the sink may take its
    // time (the window's events go on meanwhile) while appended lines land
    // in later blocks.
    TText copy;
    for (size_t i = from.Line; i <= to.Line;) {
        // A copy of the block's text: appending may move or seal the block
        // while the sink has the window's events go on.
        size_t first = 0, end = 0;
        {
            const TBlock& block = Blocks[BlockOfLine(i)];
            copy = TextOf(block);
            first = block.FirstLine;
            end = std::min(first + block.Lines, to.Line + 1);
        }
        for (; i < end; ++i) {
            std::string_view line = LineIn(copy, i - first);
            if (i == to.Line)
                line = line.substr(0, to.Col);
            if (i == from.Line)
                line = line.substr(std::min(from.Col, line.size()));
            if (!utf8) {
                buffer.append(line);
            } else {
                // Runs of ASCII go over in one copy; only bytes 0x80..0xFF
                // grow to two UTF-8 bytes.
                for (size_t c = 0; c < line.size();) {
                    size_t run = c;
                    while (run < line.size() && static_cast<unsigned char>(line[run]) < 0x80)
                        ++run;
                    buffer.append(line.data() + c, run - c);
                    if (run < line.size()) {
                        const auto u = static_cast<unsigned char>(line[run]);
                        buffer.push_back(static_cast<char>(0xC0 | (u >> 6)));
                        buffer.push_back(static_cast<char>(0x80 | (u & 0x3F)));
                        ++run;
                    }
                    c = run;
                }
            }
            if (i < to.Line)
                buffer.append(lineEnd, endLength);
            if (buffer.size() >= Piece) {
                if (!flush())
                    return false;
                if (progress)
                    progress(i - from.Line + 1, total);
            }
        }
    }
    return flush();
}
