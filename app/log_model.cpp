#include "log_model.h"

#include <algorithm>
#include <cmath>

namespace {

// Until a front end measures its font: a grid of 80 columns, one row in view.
TLogMetrics DefaultMetrics() {
    TLogMetrics m;
    m.Advances.fill(1.0);
    m.FixedPitch = true;
    m.WrapWidth = 80;
    m.ViewHeight = 1;
    m.RowHeight = 1;
    return m;
}

} // namespace

bool TLogMetrics::AllAdvancesEqual() const {
    const double digit = Advances['0'];
    return std::all_of(Advances.begin(), Advances.end(),
                       [digit](double a) { return std::abs(a - digit) < 1e-6; });
}

char LogShownByte(unsigned char c) {
    if (c < 0x20 || (c >= 0x7F && c < 0xA0))
        return ' ';
    if (c == 0xAD)
        return '-';
    return static_cast<char>(c);
}

bool IsLogWordByte(char c) {
    const auto b = static_cast<unsigned char>(c);
    if ((b >= '0' && b <= '9') || (b >= 'A' && b <= 'Z') || (b >= 'a' && b <= 'z') || b == '_')
        return true;
    // The Latin-1 letters and numbers: ª ² ³ µ ¹ º ¼ ½ ¾ and À..ÿ without × and ÷.
    switch (b) {
    case 0xAA:
    case 0xB2:
    case 0xB3:
    case 0xB5:
    case 0xB9:
    case 0xBA:
    case 0xBC:
    case 0xBD:
    case 0xBE:
        return true;
    default:
        return b >= 0xC0 && b != 0xD7 && b != 0xF7;
    }
}

TLogModel::TLogModel() {
    SetMetrics(DefaultMetrics());
}

// --- Appending and clearing --------------------------------------------------

void TLogModel::AppendLatin1(std::string_view text, TLogMark mark) {
    const bool atEnd = TopRow() >= MaxTopRow();
    const size_t firstNewRow = TotalRows();
    for (size_t start = 0;;) {
        const size_t nl = text.find('\n', start);
        const std::string_view line = text.substr(start, nl - start);
        Lines.Append(line, mark);
        // The open block's rows grow line by line, counted, never estimated.
        const size_t tail = Lines.BlockCount() - 1;
        TLogBlockRows& rows = Lines.RowsOfBlock(tail);
        if (rows.Version == WrapVersion) {
            rows.Rows += RowsOf(line);
        } else {
            LineRowEnds(tail);
        }
        if (nl == std::string_view::npos)
            break;
        start = nl + 1;
    }
    if (atEnd)
        SetTop(MaxTopRow());
    if (Listener != nullptr) {
        Listener->LogScrolled();
        Listener->LogRowsChanged(firstNewRow);
    }
}

void TLogModel::Clear() {
    const bool caretMoved = Caret != TLogPos{} || Anchor != TLogPos{};
    Lines.Clear();
    std::vector<uint64_t>().swap(RowPrefix);
    std::vector<TRowEnds>().swap(RowEndsCache);
    PrefixValid = 0;
    Caret = Anchor = TLogPos{};
    WantedX = -1;
    TopLine = TopSub = 0;
    if (Listener != nullptr) {
        Listener->LogScrolled();
        Listener->LogRowsChanged(0);
        if (caretMoved)
            Listener->LogCaretMoved();
    }
}

bool TLogModel::WriteUtf8CrLf(const TLogSink& sink, const TLogProgress& progress) const {
    return Lines.WriteUtf8CrLf(sink, progress);
}

bool TLogModel::WriteLatin1CrLf(const TLogSink& sink, const TLogProgress& progress) const {
    return Lines.WriteLatin1CrLf(sink, progress);
}

// --- Wrapping --------------------------------------------------------------

void TLogModel::SetMetrics(const TLogMetrics& metrics) {
    const bool atEnd = TopRow() >= MaxTopRow();
    const bool fontChanged = metrics.Advances != View.Advances ||
                             metrics.FixedPitch != View.FixedPitch ||
                             metrics.RowHeight != View.RowHeight;
    const bool widthChanged = metrics.WrapWidth != View.WrapWidth;
    // The line at the top of the view and its row there, or for a new font
    // the row number.
    const size_t topLine = TopLine;
    const size_t topSub = TopSub;
    const size_t topRow = TopRow();

    View = metrics;
    View.WrapWidth = std::max(1, View.WrapWidth);
    View.RowHeight = std::max(1, View.RowHeight);
    MaxAdvance = *std::max_element(View.Advances.begin(), View.Advances.end());
    if (MaxAdvance <= 0)
        MaxAdvance = 1;
    CharWidth = View.Advances['0'] > 0 ? View.Advances['0'] : 1;
    ColumnCount = std::max<size_t>(1, static_cast<size_t>(std::floor(View.WrapWidth / CharWidth)));

    if (fontChanged || widthChanged) {
        // Rows are estimated from the lines' lengths from now on, and
        // counted where the view is.
        ++WrapVersion;
        PrefixValid = 0;
        if (LineCount() > 0) {
            const size_t b = Lines.BlockOfLine(std::min(topLine, LineCount() - 1));
            for (size_t k = b > 0 ? b - 1 : 0; k < std::min(b + 3, Lines.BlockCount()); ++k)
                LineRowEnds(k);
            LineRowEnds(Lines.BlockCount() - 1);
        }
    }
    if (fontChanged)
        SetTop(topRow);
    else if (widthChanged && topLine < LineCount())
        SetTop(RowsBefore(topLine) + std::min(topSub, RowsOfLine(topLine) - 1));
    if (atEnd && !fontChanged)
        SetTop(MaxTopRow());
    SetTop(std::min(TopRow(), MaxTopRow()));
    if (Listener != nullptr) {
        Listener->LogScrolled();
        if (fontChanged || widthChanged)
            Listener->LogRowsChanged(0);
    }
}

size_t TLogModel::RowsOf(std::string_view text) const {
    // Most lines fit; only the long ones are walked.
    if (View.FixedPitch ? text.size() <= ColumnCount
                        : static_cast<double>(text.size()) * MaxAdvance <= View.WrapWidth)
        return 1;
    RowStarts(text, Starts);
    return Starts.size();
}

void TLogModel::RowStarts(std::string_view text, std::vector<size_t>& starts) const {
    starts.assign(1, 0);
    const double width = View.FixedPitch ? static_cast<double>(ColumnCount) : View.WrapWidth;
    const auto advance = [this](char c) {
        return View.FixedPitch ? 1.0 : View.Advances[static_cast<unsigned char>(c)];
    };
    size_t rowStart = 0;
    // Where the next row may start: after the last run of blanks.
    size_t breakAt = 0;
    double x = 0;
    for (size_t i = 0; i < text.size(); ++i) {
        const double a = advance(text[i]);
        if (text[i] == ' ') {
            // Blanks hang past the edge; the row may break after them.
            x += a;
            breakAt = i + 1;
            continue;
        }
        if (x + a > width && i > rowStart) {
            const size_t next = breakAt > rowStart ? breakAt : i;
            starts.push_back(next);
            rowStart = next;
            x = 0;
            for (size_t k = next; k < i; ++k)
                x += advance(text[k]);
        }
        x += a;
    }
}

double TLogModel::Advance(std::string_view text, size_t from, size_t to) const {
    if (View.FixedPitch)
        return static_cast<double>(to - from) * CharWidth;
    double x = 0;
    for (size_t i = from; i < to; ++i)
        x += View.Advances[static_cast<unsigned char>(text[i])];
    return x;
}

uint64_t TLogModel::EstimatedRows(size_t b) const {
    // Each length range at its middle; a block whose longest line fits
    // needs no estimate: every line takes one row.
    const size_t lines = Lines.LinesOfBlock(b);
    const double longest = static_cast<double>(Lines.LongestLineOfBlock(b));
    const double perRow = View.FixedPitch ? static_cast<double>(ColumnCount)
                                          : View.WrapWidth / std::max(CharWidth, 1e-6);
    if (View.FixedPitch ? longest <= perRow : longest * MaxAdvance <= View.WrapWidth)
        return lines;
    const TLogLengths& lengths = Lines.LengthsOfBlock(b);
    double rows = 0;
    for (size_t k = 0; k < TLogLengths::Buckets; ++k) {
        const double count = lengths.Count[k];
        if (count == 0)
            continue;
        const double length = k + 1 < TLogLengths::Buckets
                                  ? 8.0 * static_cast<double>(k) + 4
                                  : static_cast<double>(lengths.LongBytes) / count;
        rows += count * std::max(1.0, std::ceil(length / perRow));
    }
    return std::max<uint64_t>(lines, static_cast<uint64_t>(rows));
}

uint64_t TLogModel::BlockRows(size_t b) const {
    TLogBlockRows& r = Lines.RowsOfBlock(b);
    if (r.Version != WrapVersion) {
        const uint64_t estimate = EstimatedRows(b);
        r = TLogBlockRows{estimate, WrapVersion, estimate == Lines.LinesOfBlock(b)};
        PrefixValid = std::min(PrefixValid, b + 1);
    }
    return r.Rows;
}

const std::vector<uint32_t>& TLogModel::LineRowEnds(size_t b) const {
    const uint64_t id = Lines.BlockId(b);
    TRowEnds* entry = nullptr;
    for (TRowEnds& e : RowEndsCache) {
        if (e.Block == id && e.Version == WrapVersion) {
            entry = &e;
            break;
        }
    }
    if (entry == nullptr) {
        // A handful: the blocks in view, the caret's, the open one.
        constexpr size_t Kept = 8;
        if (RowEndsCache.size() < Kept) {
            entry = &RowEndsCache.emplace_back();
        } else {
            entry = &*std::min_element(
                RowEndsCache.begin(), RowEndsCache.end(),
                [](const TRowEnds& x, const TRowEnds& y) { return x.Used < y.Used; });
        }
        entry->Block = id;
        entry->Version = WrapVersion;
        entry->Ends.clear();
    }
    entry->Used = ++RowEndsClock;
    // The open block may have grown since its lines were counted.
    const size_t first = Lines.FirstLineOfBlock(b);
    const size_t lines = Lines.LinesOfBlock(b);
    uint32_t rows = entry->Ends.empty() ? 0 : entry->Ends.back();
    for (size_t i = entry->Ends.size(); i < lines; ++i) {
        rows += static_cast<uint32_t>(RowsOf(Lines.Line(first + i)));
        entry->Ends.push_back(rows);
    }
    TLogBlockRows& r = Lines.RowsOfBlock(b);
    if (!r.Exact || r.Version != WrapVersion || r.Rows != rows) {
        r = TLogBlockRows{rows, WrapVersion, true};
        PrefixValid = std::min(PrefixValid, b + 1);
    }
    return entry->Ends;
}

uint64_t TLogModel::RowsBeforeBlock(size_t b) const {
    if (RowPrefix.size() < Lines.BlockCount())
        RowPrefix.resize(Lines.BlockCount());
    PrefixValid = std::min(PrefixValid, RowPrefix.size());
    if (PrefixValid == 0) {
        RowPrefix[0] = 0;
        PrefixValid = 1;
    }
    while (PrefixValid <= b) {
        const uint64_t rows = BlockRows(PrefixValid - 1);
        RowPrefix[PrefixValid] = RowPrefix[PrefixValid - 1] + rows;
        ++PrefixValid;
    }
    return RowPrefix[b];
}

size_t TLogModel::RowsBefore(size_t line) const {
    if (line == 0 || LineCount() == 0)
        return 0;
    if (line >= LineCount())
        return TotalRows();
    const size_t b = Lines.BlockOfLine(line);
    const size_t i = line - Lines.FirstLineOfBlock(b);
    const uint64_t inBlock = i == 0 ? 0 : LineRowEnds(b)[i - 1];
    return static_cast<size_t>(RowsBeforeBlock(b) + inBlock);
}

size_t TLogModel::RowsOfLine(size_t line) const {
    const size_t b = Lines.BlockOfLine(line);
    const size_t i = line - Lines.FirstLineOfBlock(b);
    const std::vector<uint32_t>& ends = LineRowEnds(b);
    return ends[i] - (i == 0 ? 0 : ends[i - 1]);
}

size_t TLogModel::TotalRows() const {
    if (LineCount() == 0)
        return 0;
    const size_t last = Lines.BlockCount() - 1;
    const uint64_t before = RowsBeforeBlock(last);
    return static_cast<size_t>(before + BlockRows(last));
}

size_t TLogModel::LineOfRow(size_t row) const {
    if (LineCount() == 0)
        return 0;
    const size_t last = Lines.BlockCount() - 1;
    RowsBeforeBlock(last);
    // The block, by the rows before each; then the line in it, counted.
    const auto after = std::upper_bound(RowPrefix.begin(), RowPrefix.begin() + last + 1,
                                        static_cast<uint64_t>(row));
    const size_t b = static_cast<size_t>(after - RowPrefix.begin()) - 1;
    const uint64_t inBlock = row - RowPrefix[b];
    const std::vector<uint32_t>& ends = LineRowEnds(b);
    const size_t i =
        static_cast<size_t>(std::upper_bound(ends.begin(), ends.end(), inBlock) - ends.begin());
    if (i >= ends.size())
        return b == last ? LineCount() : Lines.FirstLineOfBlock(b) + ends.size() - 1;
    return Lines.FirstLineOfBlock(b) + i;
}

// --- Scrolling and what is in view -------------------------------------------

size_t TLogModel::VisibleRows() const {
    return static_cast<size_t>(std::max(1, View.ViewHeight / View.RowHeight));
}

size_t TLogModel::MaxTopRow() const {
    const size_t total = TotalRows();
    const size_t visible = VisibleRows();
    return total > visible ? total - visible : 0;
}

size_t TLogModel::TopRow() const {
    return RowsBefore(TopLine) + TopSub;
}

void TLogModel::SetTop(size_t row) {
    row = std::min(row, MaxTopRow());
    size_t line = LineOfRow(row);
    size_t sub = 0;
    if (line < LineCount()) {
        sub = row - RowsBefore(line);
    } else {
        line = 0;
    }
    if (line == TopLine && sub == TopSub)
        return;
    TopLine = line;
    TopSub = sub;
    if (Listener != nullptr)
        Listener->LogScrolled();
}

void TLogModel::ScrollTo(size_t row) {
    SetTop(row);
}

void TLogModel::ScrollBy(long long rows) {
    const size_t top = TopRow();
    if (rows < 0)
        SetTop(top > static_cast<size_t>(-rows) ? top - static_cast<size_t>(-rows) : 0);
    else
        SetTop(top + static_cast<size_t>(rows));
}

void TLogModel::RowsInView(size_t count, std::vector<TLogRowView>& rows) const {
    rows.clear();
    if (LineCount() == 0)
        return;
    const TLogPos selFrom = std::min(Caret, Anchor);
    const TLogPos selTo = std::max(Caret, Anchor);
    const bool selection = HasSelection();
    std::vector<size_t> starts;
    size_t rowNumber = RowsBefore(TopLine);
    size_t row = TopSub;
    for (size_t line = TopLine; line < LineCount() && rows.size() < count; ++line, row = 0) {
        const std::string_view text = Lines.Line(line);
        RowStarts(text, starts);
        // The selected part of this line.
        size_t a = SIZE_MAX, b = 0;
        bool lineEndSelected = false;
        if (selection && selFrom.Line <= line && line <= selTo.Line) {
            a = selFrom.Line == line ? selFrom.Col : 0;
            b = selTo.Line == line ? selTo.Col : text.size();
            lineEndSelected = selTo.Line > line;
        }
        const TLogMark mark = Lines.Mark(line);
        for (; row < starts.size() && rows.size() < count; ++row) {
            const size_t c0 = starts[row];
            const size_t c1 = row + 1 < starts.size() ? starts[row + 1] : text.size();
            TLogRowView v;
            v.Row = rowNumber + row;
            v.Line = line;
            v.Text = text.substr(c0, c1 - c0);
            v.Begin = c0;
            const size_t s0 = std::max(a, c0);
            const size_t s1 = std::min(b, c1);
            if (s0 < s1) {
                v.SelectedFrom = s0 - c0;
                v.SelectedTo = s1 - c0;
                v.SelectedLeft = Advance(text, c0, s0);
                v.SelectedRight = v.SelectedLeft + Advance(text, s0, s1);
            }
            v.Width = Advance(text, c0, c1);
            v.LineEndSelected = lineEndSelected && row + 1 == starts.size();
            v.Mark = mark;
            rows.push_back(v);
        }
        rowNumber += starts.size();
    }
}

TLogPlace TLogModel::PlaceOf(TLogPos pos) const {
    if (Lines.LineCount() == 0)
        return TLogPlace{};
    const std::string_view text = Lines.Line(pos.Line);
    std::vector<size_t> starts;
    RowStarts(text, starts);
    // A place at a wrap point is shown at the start of the next row.
    const size_t r = static_cast<size_t>(std::upper_bound(starts.begin(), starts.end(), pos.Col) -
                                         starts.begin()) -
                     1;
    return TLogPlace{RowsBefore(pos.Line) + r, Advance(text, starts[r], pos.Col)};
}

TLogPos TLogModel::PosAtRow(size_t row, double x) const {
    if (Lines.LineCount() == 0)
        return TLogPos{};
    row = std::min(row, TotalRows() - 1);
    const size_t line = std::min(LineOfRow(row), LineCount() - 1);
    const size_t before = RowsBefore(line);
    const std::string_view text = Lines.Line(line);
    std::vector<size_t> starts;
    RowStarts(text, starts);
    const size_t r = std::min(row > before ? row - before : 0, starts.size() - 1);
    const size_t end = r + 1 < starts.size() ? starts[r + 1] : text.size();
    size_t col = starts[r];
    if (View.FixedPitch) {
        const double cells = std::max(0.0, std::round(x / CharWidth));
        col = std::min(end, starts[r] + static_cast<size_t>(cells));
    } else {
        double left = 0;
        while (col < end) {
            const double a = View.Advances[static_cast<unsigned char>(text[col])];
            if (x < left + a / 2)
                break;
            left += a;
            ++col;
        }
    }
    return TLogPos{line, col};
}

// --- Caret and selection -------------------------------------------------------

void TLogModel::CaretMoved() {
    if (Listener != nullptr)
        Listener->LogCaretMoved();
}

void TLogModel::SetCaretPos(TLogPos pos, bool keepAnchor) {
    WantedX = -1;
    if (Lines.LineCount() == 0) {
        pos = TLogPos{};
    } else {
        pos.Line = std::min(pos.Line, Lines.LineCount() - 1);
        pos.Col = std::min(pos.Col, Lines.LineLength(pos.Line));
    }
    Caret = pos;
    if (!keepAnchor)
        Anchor = pos;
    EnsureCaretVisible();
    CaretMoved();
}

void TLogModel::EnsureCaretVisible() {
    const size_t row = PlaceOf(Caret).Row;
    const size_t visible = VisibleRows();
    const size_t top = TopRow();
    if (row < top)
        SetTop(row);
    else if (row >= top + visible)
        SetTop(row - visible + 1);
}

std::string TLogModel::SelectedText() const {
    if (!HasSelection())
        return std::string();
    return Lines.Text(std::min(Caret, Anchor), std::max(Caret, Anchor));
}

bool TLogModel::WriteSelectionUtf8(const TLogSink& sink, const TLogProgress& progress) const {
    return !HasSelection() ||
           Lines.WriteUtf8(std::min(Caret, Anchor), std::max(Caret, Anchor), sink, progress);
}

void TLogModel::SelectAll() {
    Anchor = TLogPos{};
    Caret = Lines.End();
    CaretMoved();
}

void TLogModel::SelectWordAt(TLogPos at) {
    if (Lines.LineCount() == 0)
        return;
    at.Line = std::min(at.Line, Lines.LineCount() - 1);
    const std::string_view line = Lines.Line(at.Line);
    size_t from = std::min(at.Col, line.size());
    size_t to = from;
    if (to < line.size() && IsLogWordByte(line[to])) {
        while (to < line.size() && IsLogWordByte(line[to]))
            ++to;
        while (from > 0 && IsLogWordByte(line[from - 1]))
            --from;
    } else if (from > 0 && IsLogWordByte(line[from - 1])) {
        while (from > 0 && IsLogWordByte(line[from - 1]))
            --from;
    } else if (to < line.size()) {
        ++to;
    }
    Anchor = TLogPos{at.Line, from};
    SetCaretPos(TLogPos{at.Line, to}, true);
}

TLogPos TLogModel::MoveTarget(TLogMove move) const {
    const size_t count = Lines.LineCount();
    if (count == 0)
        return TLogPos{};
    TLogPos p = Caret;
    const std::string_view line = Lines.Line(p.Line);
    switch (move) {
    case TLogMove::PrevChar:
        if (p.Col > 0)
            --p.Col;
        else if (p.Line > 0)
            p = TLogPos{p.Line - 1, Lines.LineLength(p.Line - 1)};
        return p;
    case TLogMove::NextChar:
        if (p.Col < line.size())
            ++p.Col;
        else if (p.Line + 1 < count)
            p = TLogPos{p.Line + 1, 0};
        return p;
    case TLogMove::PrevWord:
        if (p.Col == 0)
            return p.Line > 0 ? TLogPos{p.Line - 1, Lines.LineLength(p.Line - 1)} : p;
        while (p.Col > 0 && !IsLogWordByte(line[p.Col - 1]))
            --p.Col;
        while (p.Col > 0 && IsLogWordByte(line[p.Col - 1]))
            --p.Col;
        return p;
    case TLogMove::NextWord:
        if (p.Col == line.size())
            return p.Line + 1 < count ? TLogPos{p.Line + 1, 0} : p;
        while (p.Col < line.size() && IsLogWordByte(line[p.Col]))
            ++p.Col;
        while (p.Col < line.size() && !IsLogWordByte(line[p.Col]))
            ++p.Col;
        return p;
    case TLogMove::LineStart:
        return TLogPos{p.Line, 0};
    case TLogMove::LineEnd:
        return TLogPos{p.Line, line.size()};
    case TLogMove::DocStart:
        return TLogPos{};
    case TLogMove::DocEnd:
        return Lines.End();
    case TLogMove::RowUp:
    case TLogMove::RowDown:
    case TLogMove::PageUp:
    case TLogMove::PageDown: {
        const TLogPlace place = PlaceOf(Caret);
        size_t row = place.Row;
        const double x = WantedX >= 0 ? WantedX : place.X;
        const size_t step =
            move == TLogMove::RowUp || move == TLogMove::RowDown ? 1 : VisibleRows();
        if (move == TLogMove::RowUp || move == TLogMove::PageUp) {
            if (row == 0)
                return TLogPos{};
            row = row > step ? row - step : 0;
        } else {
            if (row + 1 >= TotalRows())
                return Lines.End();
            row = std::min(row + step, TotalRows() - 1);
        }
        return PosAtRow(row, x);
    }
    }
    return p;
}

void TLogModel::Move(TLogMove move, bool select) {
    const bool vertical = move == TLogMove::RowUp || move == TLogMove::RowDown ||
                          move == TLogMove::PageUp || move == TLogMove::PageDown;
    // Up and down keep to the x where they started, over shorter rows too.
    if (vertical && WantedX < 0)
        WantedX = PlaceOf(Caret).X;
    const double keep = vertical ? WantedX : -1;
    const TLogPos target = MoveTarget(move);
    // The page turns with the caret, as in any text field.
    if (move == TLogMove::PageUp)
        ScrollBy(-static_cast<long long>(VisibleRows()));
    else if (move == TLogMove::PageDown)
        ScrollBy(static_cast<long long>(VisibleRows()));
    SetCaretPos(target, select);
    WantedX = keep;
}

// --- Editing -----------------------------------------------------------------

void TLogModel::InsertText(std::string_view latin1) {
    // CR LF and a lone CR both end a line. The copy also keeps text taken from
    // this log (a paste of its own selection) apart from the store it changes.
    std::string text;
    text.reserve(latin1.size());
    for (size_t i = 0; i < latin1.size(); ++i) {
        if (latin1[i] == '\r') {
            if (i + 1 < latin1.size() && latin1[i + 1] == '\n')
                ++i;
            text.push_back('\n');
        } else {
            text.push_back(latin1[i]);
        }
    }
    Edit(std::min(Caret, Anchor), std::max(Caret, Anchor), text);
}

void TLogModel::DeleteSelection() {
    if (HasSelection())
        Edit(std::min(Caret, Anchor), std::max(Caret, Anchor), std::string());
}

void TLogModel::Backspace() {
    if (!HasSelection() && Caret != TLogPos{})
        Anchor = MoveTarget(TLogMove::PrevChar);
    DeleteSelection();
}

void TLogModel::Delete() {
    if (!HasSelection())
        Anchor = MoveTarget(TLogMove::NextChar);
    DeleteSelection();
}

void TLogModel::Enter() {
    InsertText("\n");
}

void TLogModel::Paste(std::string_view latin1) {
    if (!latin1.empty())
        InsertText(latin1);
}

void TLogModel::Edit(TLogPos from, TLogPos to, const std::string& text) {
    const size_t firstRow = Lines.LineCount() == 0 ? 0 : RowsBefore(from.Line);
    const size_t top = TopRow();
    const size_t firstBlock = Lines.LineCount() == 0 ? 0 : Lines.BlockOfLine(from.Line);
    const TLogPos end = Lines.Replace(from, to, text);
    // The edited blocks are new; the rows before them stand.
    PrefixValid = std::min(PrefixValid, firstBlock);
    RowPrefix.resize(std::min(RowPrefix.size(), Lines.BlockCount()));
    TopLine = TopSub = 0;
    SetTop(top);
    if (Listener != nullptr) {
        Listener->LogScrolled();
        Listener->LogRowsChanged(firstRow);
    }
    SetCaretPos(end);
}
