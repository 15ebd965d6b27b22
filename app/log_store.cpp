#include "log_store.h"

#include <algorithm>
#include <cstring>
#include <stdexcept>
#include <vector>

namespace {

uint32_t CheckedLength(size_t n) {
    if (n > UINT32_MAX)
        throw std::length_error("Zeile zu lang");
    return static_cast<uint32_t>(n);
}

} // namespace

void TLogStore::Append(std::string_view line, TLogMark mark) {
    const uint32_t length = CheckedLength(line.size());
    if (mark != TLogMark::None)
        Marks.emplace_back(LineCount(), mark);
    Starts.PushBack(Bytes.Size());
    Lengths.PushBack(length);
    Bytes.Append(line.data(), line.size());
}

TLogMark TLogStore::Mark(size_t i) const {
    const auto at = std::lower_bound(Marks.begin(), Marks.end(), std::make_pair(i, TLogMark::None));
    return at != Marks.end() && at->first == i ? at->second : TLogMark::None;
}

void TLogStore::Clear() {
    Marks.clear();
    Marks.shrink_to_fit();
    Bytes.Release();
    Starts.Release();
    Lengths.Release();
    Unused = 0;
}

TLogPos TLogStore::End() const {
    if (LineCount() == 0)
        return TLogPos{};
    return TLogPos{LineCount() - 1, Lengths.Back()};
}

TLogPos TLogStore::Replace(TLogPos from, TLogPos to, std::string_view text) {
    // Editing needs a line to stand in; the empty text is one empty line here.
    if (LineCount() == 0)
        Append(std::string_view());

    const std::string prefix(Line(from.Line).substr(0, from.Col));
    const std::string suffix(Line(to.Line).substr(to.Col));

    std::vector<std::string_view> pieces;
    for (size_t start = 0;;) {
        const size_t nl = text.find('\n', start);
        if (nl == std::string_view::npos) {
            pieces.push_back(text.substr(start));
            break;
        }
        pieces.push_back(text.substr(start, nl - start));
        start = nl + 1;
    }

    const size_t oldCount = to.Line - from.Line + 1;
    const size_t newCount = pieces.size();
    ShiftMarks(from.Line, oldCount, newCount);
    // A line rewritten at the end of the buffer (typing into the last line)
    // is overwritten in place instead of leaving its old bytes behind.
    if (oldCount == 1 && Starts[from.Line] + Lengths[from.Line] == Bytes.Size()) {
        Bytes.Resize(Starts[from.Line]);
    } else {
        for (size_t i = from.Line; i <= to.Line; ++i)
            Unused += Lengths[i];
    }
    if (newCount > oldCount) {
        Starts.InsertGap(from.Line + oldCount, newCount - oldCount);
        Lengths.InsertGap(from.Line + oldCount, newCount - oldCount);
    } else {
        Starts.Erase(from.Line + newCount, oldCount - newCount);
        Lengths.Erase(from.Line + newCount, oldCount - newCount);
    }
    for (size_t k = 0; k < newCount; ++k) {
        const size_t start = Bytes.Size();
        if (k == 0)
            Bytes.Append(prefix.data(), prefix.size());
        Bytes.Append(pieces[k].data(), pieces[k].size());
        if (k + 1 == newCount)
            Bytes.Append(suffix.data(), suffix.size());
        Starts[from.Line + k] = start;
        Lengths[from.Line + k] = CheckedLength(Bytes.Size() - start);
    }
    TLogPos end{from.Line + newCount - 1,
                pieces.back().size() + (newCount == 1 ? prefix.size() : 0)};

    if (LineCount() == 1 && Lengths[0] == 0) {
        Clear();
        return TLogPos{};
    }
    if (Unused > (1u << 20) && Unused > Bytes.Size() / 2)
        Compact();
    return end;
}

void TLogStore::Compact() {
    TPodArray<char> packed;
    packed.Reserve(Bytes.Size() - Unused);
    for (size_t i = 0; i < LineCount(); ++i) {
        const std::string_view line = Line(i);
        Starts[i] = packed.Size();
        packed.Append(line.data(), line.size());
    }
    Bytes.Release();
    Bytes.Append(packed.Begin(), packed.Size());
    Unused = 0;
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
    for (size_t i = from.Line; i <= to.Line; ++i) {
        std::string_view line = Line(i);
        if (i == to.Line)
            line = line.substr(0, to.Col);
        if (i == from.Line)
            line = line.substr(std::min(from.Col, line.size()));
        for (size_t k = 0; k < line.size();) {
            // Runs of ASCII go over in one copy; only bytes 0x80..0xFF grow to
            // two UTF-8 bytes. Single bytes stay single: the line is one run.
            size_t run = k;
            while (run < line.size() && (!utf8 || static_cast<unsigned char>(line[run]) < 0x80))
                ++run;
            buffer.append(line.data() + k, run - k);
            if (run < line.size()) {
                const auto c = static_cast<unsigned char>(line[run]);
                buffer.push_back(static_cast<char>(0xC0 | (c >> 6)));
                buffer.push_back(static_cast<char>(0x80 | (c & 0x3F)));
                ++run;
            }
            k = run;
            if (buffer.size() >= Piece && !flush())
                return false;
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
    return flush();
}
