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
    const bool atEnd = Top >= MaxTopRow();
    const size_t firstNewRow = TotalRows();
    for (size_t start = 0;;) {
        const size_t nl = text.find('\n', start);
        const std::string_view line = text.substr(start, nl - start);
        Lines.Append(line, mark);
        RowEnds.PushBack(static_cast<uint32_t>(TotalRows() + RowsOf(line)));
        if (nl == std::string_view::npos)
            break;
        start = nl + 1;
    }
    if (atEnd)
        Top = MaxTopRow();
    if (Listener != nullptr) {
        Listener->LogScrolled();
        Listener->LogRowsChanged(firstNewRow);
    }
}

void TLogModel::Clear() {
    const bool caretMoved = Caret != TLogPos{} || Anchor != TLogPos{};
    Lines.Clear();
    RowEnds.Release();
    Caret = Anchor = TLogPos{};
    WantedX = -1;
    Top = 0;
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
    const bool atEnd = Top >= MaxTopRow();
    const bool fontChanged = metrics.Advances != View.Advances ||
                             metrics.FixedPitch != View.FixedPitch ||
                             metrics.RowHeight != View.RowHeight;
    const bool widthChanged = metrics.WrapWidth != View.WrapWidth;
    // The line at the top of the view, and its row there.
    const bool topInText = Top < TotalRows();
    const size_t topLine = topInText ? LineOfRow(Top) : 0;
    const size_t rowInLine = topInText ? Top - RowsBefore(topLine) : 0;

    View = metrics;
    View.WrapWidth = std::max(1, View.WrapWidth);
    View.RowHeight = std::max(1, View.RowHeight);
    MaxAdvance = *std::max_element(View.Advances.begin(), View.Advances.end());
    if (MaxAdvance <= 0)
        MaxAdvance = 1;
    CharWidth = View.Advances['0'] > 0 ? View.Advances['0'] : 1;
    ColumnCount = std::max<size_t>(1, static_cast<size_t>(std::floor(View.WrapWidth / CharWidth)));

    if (fontChanged || widthChanged)
        Rewrap();
    // A new font keeps the row number; a new width keeps the line at the top.
    if (!fontChanged) {
        if (widthChanged && topLine < LineCount())
            Top = RowsBefore(topLine) + std::min(rowInLine, RowsOfLine(topLine) - 1);
        if (atEnd)
            Top = MaxTopRow();
    }
    Top = std::min(Top, MaxTopRow());
    if (Listener != nullptr) {
        Listener->LogScrolled();
        if (fontChanged || widthChanged)
            Listener->LogRowsChanged(0);
    }
}

size_t TLogModel::RowsOf(std::string_view text) const {
    if (View.FixedPitch)
        return text.empty() ? 1 : (text.size() + ColumnCount - 1) / ColumnCount;
    // Most lines fit; only the long ones are walked character by character.
    if (static_cast<double>(text.size()) * MaxAdvance <= View.WrapWidth)
        return 1;
    size_t rows = 1;
    double x = 0;
    for (const char c : text) {
        const double a = View.Advances[static_cast<unsigned char>(c)];
        if (x + a > View.WrapWidth && x > 0) {
            ++rows;
            x = 0;
        }
        x += a;
    }
    return rows;
}

void TLogModel::RowStarts(std::string_view text, std::vector<size_t>& starts) const {
    starts.clear();
    starts.push_back(0);
    if (View.FixedPitch) {
        for (size_t s = ColumnCount; s < text.size(); s += ColumnCount)
            starts.push_back(s);
        return;
    }
    double x = 0;
    for (size_t i = 0; i < text.size(); ++i) {
        const double a = View.Advances[static_cast<unsigned char>(text[i])];
        if (x + a > View.WrapWidth && x > 0) {
            starts.push_back(i);
            x = 0;
        }
        x += a;
    }
}

size_t TLogModel::LineOfRow(size_t row) const {
    const uint32_t* begin = RowEnds.Begin();
    const uint32_t* end = begin + RowEnds.Size();
    return static_cast<size_t>(std::upper_bound(begin, end, row) - begin);
}

double TLogModel::Advance(std::string_view text, size_t from, size_t to) const {
    if (View.FixedPitch)
        return static_cast<double>(to - from) * CharWidth;
    double x = 0;
    for (size_t i = from; i < to; ++i)
        x += View.Advances[static_cast<unsigned char>(text[i])];
    return x;
}

void TLogModel::Rewrap() {
    const size_t n = Lines.LineCount();
    RowEnds.Resize(n);
    uint32_t rows = 0;
    if (View.FixedPitch) {
        // The hot loop for a million lines: one division per line.
        const uint32_t cols = static_cast<uint32_t>(ColumnCount);
        for (size_t i = 0; i < n; ++i) {
            const uint32_t len = static_cast<uint32_t>(Lines.LineLength(i));
            rows += len == 0 ? 1 : (len + cols - 1) / cols;
            RowEnds[i] = rows;
        }
    } else {
        for (size_t i = 0; i < n; ++i) {
            rows += static_cast<uint32_t>(RowsOf(Lines.Line(i)));
            RowEnds[i] = rows;
        }
    }
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

void TLogModel::SetTop(size_t row) {
    row = std::min(row, MaxTopRow());
    if (row == Top)
        return;
    Top = row;
    if (Listener != nullptr)
        Listener->LogScrolled();
}

void TLogModel::ScrollTo(size_t row) {
    SetTop(row);
}

void TLogModel::ScrollBy(long long rows) {
    if (rows < 0)
        SetTop(Top > static_cast<size_t>(-rows) ? Top - static_cast<size_t>(-rows) : 0);
    else
        SetTop(Top + static_cast<size_t>(rows));
}

void TLogModel::RowsInView(size_t count, std::vector<TLogRowView>& rows) const {
    rows.clear();
    const TLogPos selFrom = std::min(Caret, Anchor);
    const TLogPos selTo = std::max(Caret, Anchor);
    const bool selection = HasSelection();
    std::vector<size_t> starts;
    size_t line = Top < TotalRows() ? LineOfRow(Top) : LineCount();
    size_t row = line < LineCount() ? Top - RowsBefore(line) : 0;
    for (; line < LineCount() && rows.size() < count; ++line, row = 0) {
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
        for (; row < starts.size() && rows.size() < count; ++row) {
            const size_t c0 = starts[row];
            const size_t c1 = row + 1 < starts.size() ? starts[row + 1] : text.size();
            TLogRowView v;
            v.Row = RowsBefore(line) + row;
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
            v.Mark = Lines.Mark(line);
            rows.push_back(v);
        }
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
    const size_t line = LineOfRow(row);
    const std::string_view text = Lines.Line(line);
    std::vector<size_t> starts;
    RowStarts(text, starts);
    const size_t r = std::min(row - RowsBefore(line), starts.size() - 1);
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
    if (row < Top)
        SetTop(row);
    else if (row >= Top + visible)
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

std::string TLogModel::Cut() {
    std::string text = SelectedText();
    DeleteSelection();
    return text;
}

void TLogModel::Paste(std::string_view latin1) {
    if (!latin1.empty())
        InsertText(latin1);
}

void TLogModel::Edit(TLogPos from, TLogPos to, const std::string& text) {
    const size_t oldLines = std::max<size_t>(Lines.LineCount(), 1);
    const size_t oldRows = Lines.LineCount() == 0 ? 0 : RowEnds[to.Line] - RowsBefore(from.Line);
    const size_t firstRow = Lines.LineCount() == 0 ? 0 : RowsBefore(from.Line);
    const TLogPos end = Lines.Replace(from, to, text);
    const size_t newLines = std::max<size_t>(Lines.LineCount(), 1);
    if (Lines.LineCount() == 0) {
        RowEnds.Release();
    } else if (RowEnds.Empty()) {
        Rewrap();
    } else {
        // Only the replaced lines are wrapped again; the rows after them move
        // by the difference.
        const size_t replaced = to.Line - from.Line + 1;
        const size_t inserted = replaced + newLines - oldLines;
        if (inserted > replaced)
            RowEnds.InsertGap(from.Line + replaced, inserted - replaced);
        else
            RowEnds.Erase(from.Line + inserted, replaced - inserted);
        uint32_t rows = static_cast<uint32_t>(RowsBefore(from.Line));
        for (size_t i = from.Line; i < from.Line + inserted; ++i) {
            rows += static_cast<uint32_t>(RowsOf(Lines.Line(i)));
            RowEnds[i] = rows;
        }
        const size_t newRows = rows - RowsBefore(from.Line);
        if (newRows != oldRows) {
            const uint32_t diff = static_cast<uint32_t>(newRows - oldRows);
            for (size_t i = from.Line + inserted; i < RowEnds.Size(); ++i)
                RowEnds[i] += diff; // wraps round for fewer rows, as intended
        }
    }
    Top = std::min(Top, MaxTopRow());
    if (Listener != nullptr) {
        Listener->LogScrolled();
        Listener->LogRowsChanged(firstRow);
    }
    SetCaretPos(end);
}
