// What a log text field is without its toolkit: the lines, their wrapping
// into rows, the caret and selection, moving, editing, following the end,
// and which part of the text is in view. A front end measures its font into
// TLogMetrics, paints the rows RowsInView gives it and turns keys and mouse
// into calls here; it keeps no copy of the text. Plain C++, no toolkit.
//
// Long lines wrap as a text field wraps them: after the last blank that
// fits in the row (blanks at a row's end hang past the edge), a word longer
// than a row where it reaches the edge. The scroll position counts wrapped
// rows. After a new width, the rows of blocks far from the view are
// estimated from their lines' lengths and counted when they come near it;
// the line at the top of the view stays there.
#pragma once

#include "log_store.h"

#include <array>
#include <cstddef>
#include <cstdint>
#include <functional>
#include <string>
#include <string_view>
#include <vector>

// What wrapping needs to know of the font and the view, in pixels.
struct TLogMetrics {
    // How far each byte advances the pen, drawn as LogShownByte shows it.
    std::array<double, 256> Advances{};
    // Every byte as wide as '0': rows are a grid of Columns() characters.
    bool FixedPitch = true;
    // Room for a row's text, and for the rows.
    int WrapWidth = 1;
    int ViewHeight = 1;
    int RowHeight = 1;

    // True when every advance equals the one of '0'.
    bool AllAdvancesEqual() const;
};

// The byte a front end draws for a byte of the text: control characters
// show as blanks, the soft hyphen as a hyphen.
char LogShownByte(unsigned char c);
// Letters, digits and '_' of Latin-1: what a word is made of.
bool IsLogWordByte(char c);

// Where a place in the text is drawn: its row and the x inside the row.
struct TLogPlace {
    size_t Row = 0;
    double X = 0;
};

// One row as it is painted: its bytes, and which of them are selected.
struct TLogRowView {
    size_t Row = 0;
    size_t Line = 0;
    // The row's bytes, from column Begin of the line on.
    std::string_view Text;
    size_t Begin = 0;
    // The selected bytes of Text (SelectedTo == SelectedFrom: none) and
    // where they are drawn.
    size_t SelectedFrom = 0;
    size_t SelectedTo = 0;
    double SelectedLeft = 0;
    double SelectedRight = 0;
    // Width of the whole row's text.
    double Width = 0;
    // The line end after this row is selected; it shows as a highlighted
    // blank after the text.
    bool LineEndSelected = false;
    // The mark of the row's line.
    TLogMark Mark = TLogMark::None;
};

// How the model tells its front end what to repaint or move. Called after
// the change, with the model already in its new state.
class TLogModelListener {
public:
    // Rows from firstRow on may show other text or another selection.
    virtual void LogRowsChanged(size_t firstRow) = 0;
    // The first row in view, the number of rows or the rows in view changed.
    virtual void LogScrolled() = 0;
    // The caret or the selection's other end moved (or was set again).
    virtual void LogCaretMoved() = 0;

protected:
    ~TLogModelListener() = default;
};

enum class TLogMove {
    PrevChar,
    NextChar,
    PrevWord,
    NextWord,
    RowUp,
    RowDown,
    PageUp,
    PageDown,
    LineStart,
    LineEnd,
    DocStart,
    DocEnd
};

class TLogModel {
public:
    TLogModel();
    TLogModel(const TLogModel&) = delete;
    TLogModel& operator=(const TLogModel&) = delete;

    // One listener at a time; nullptr for none. It must outlive its turn.
    void SetListener(TLogModelListener* listener) { Listener = listener; }

    const TLogStore& Store() const { return Lines; }
    size_t LineCount() const { return Lines.LineCount(); }

    // Appends lines at the end ('\n' separates them), each with mark. While
    // the view shows the end it keeps showing it; when the user has scrolled
    // up it stays put.
    void AppendLatin1(std::string_view lines, TLogMark mark = TLogMark::None);
    // Removes every line and gives the memory back.
    void Clear();

    // The whole text, each line followed by CR LF, in pieces; false as soon
    // as sink refuses (TLogStore).
    bool WriteUtf8CrLf(const TLogSink& sink, const TLogProgress& progress = {}) const;
    bool WriteLatin1CrLf(const TLogSink& sink, const TLogProgress& progress = {}) const;

    // --- Wrapping and scrolling -------------------------------------------

    // New font or view size. A new width re-wraps the text and keeps the line
    // at the top of the view there; a view showing the end keeps showing it.
    void SetMetrics(const TLogMetrics& metrics);
    const TLogMetrics& Metrics() const { return View; }

    size_t RowsOfLine(size_t line) const;
    size_t TotalRows() const;
    // The line holding a wrapped row (rows count from the first line).
    size_t LineOfRow(size_t row) const;
    // Whole rows in the view, at least one.
    size_t VisibleRows() const;
    // Characters per row with a fixed-pitch font, 0 with a proportional one.
    size_t Columns() const { return View.FixedPitch ? ColumnCount : 0; }

    // The first row in view, from 0 to MaxTopRow().
    size_t TopRow() const;
    size_t MaxTopRow() const;
    // Scrolls so row is the first in view, as far as the text goes.
    void ScrollTo(size_t row);
    void ScrollBy(long long rows);

    // Up to count rows from the first in view, as they are painted.
    void RowsInView(size_t count, std::vector<TLogRowView>& rows) const;

    // Where a place is drawn; and the place nearest to x in a row (past a
    // row's end: its end).
    TLogPlace PlaceOf(TLogPos pos) const;
    TLogPos PosAtRow(size_t row, double x) const;

    // --- Caret and selection ----------------------------------------------

    TLogPos CaretPos() const { return Caret; }
    TLogPos AnchorPos() const { return Anchor; }
    // Moves the caret (into the text) and scrolls it into view; keepAnchor
    // extends the selection to it.
    void SetCaretPos(TLogPos pos, bool keepAnchor = false);
    // What the arrow, Home, End and page keys do; select keeps the anchor.
    void Move(TLogMove move, bool select);
    // The place a move would take the caret to.
    TLogPos MoveTarget(TLogMove move) const;
    // Selects the word at pos, or the one it touches from the right, or the
    // character there.
    void SelectWordAt(TLogPos pos);
    void SelectAll();
    bool HasSelection() const { return Caret != Anchor; }
    // The selection as Latin-1 text, one '\n' between lines.
    std::string SelectedText() const;
    // The selection as UTF-8, in pieces, for a long one.
    bool WriteSelectionUtf8(const TLogSink& sink, const TLogProgress& progress = {}) const;

    // --- Editing ----------------------------------------------------------

    // Types Latin-1 text over the selection, or at the caret; '\n', CR LF
    // and a lone CR split the line.
    void InsertText(std::string_view latin1);
    void DeleteSelection();
    // The keys: the character before or after the caret (or the
    // selection), and a line split at the caret.
    void Backspace();
    void Delete();
    void Enter();
    // Paste types text (none: nothing happens). There is no cut here: the
    // view deletes a selection only once the clipboard has taken it.
    void Paste(std::string_view latin1);

private:
    // The rows of each line of a block, added up from its first line.
    struct TRowEnds {
        uint64_t Block = 0;
        uint32_t Version = 0;
        uint64_t Used = 0;
        std::vector<uint32_t> Ends;
    };

    size_t RowsBefore(size_t line) const;
    size_t RowsOf(std::string_view text) const;
    // Start of every wrapped row of text (the first is 0).
    void RowStarts(std::string_view text, std::vector<size_t>& starts) const;
    double Advance(std::string_view text, size_t from, size_t to) const;
    // A block's rows: counted where its text was at hand, else estimated.
    uint64_t BlockRows(size_t b) const;
    uint64_t EstimatedRows(size_t b) const;
    uint64_t RowsBeforeBlock(size_t b) const;
    // Counts the rows of a block's lines from its text; the block's rows are
    // exact from then on.
    const std::vector<uint32_t>& LineRowEnds(size_t b) const;
    void Edit(TLogPos from, TLogPos to, const std::string& text);
    void SetTop(size_t row);
    void EnsureCaretVisible();
    void CaretMoved();

    TLogStore Lines;
    // Bumped by every change of the wrapping: rows counted for an older one
    // are counted again.
    uint32_t WrapVersion = 1;
    // Rows before each block, valid for the first PrefixValid blocks.
    mutable std::vector<uint64_t> RowPrefix;
    mutable size_t PrefixValid = 0;
    mutable std::vector<TRowEnds> RowEndsCache;
    mutable uint64_t RowEndsClock = 0;
    mutable std::vector<size_t> Starts;

    TLogMetrics View;
    double MaxAdvance = 1;
    double CharWidth = 1;
    size_t ColumnCount = 1;

    // The first row in view, as a line and a row in it: rows counted anew
    // above the view do not move what the view shows.
    size_t TopLine = 0;
    size_t TopSub = 0;
    TLogPos Caret;
    TLogPos Anchor;
    // The x that up and down keep to over shorter rows; -1 when none.
    double WantedX = -1;

    TLogModelListener* Listener = nullptr;
};
