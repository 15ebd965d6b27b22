#include "log_view.h"

#include "latin1_text.h"

#include <algorithm>
#include <cmath>
#include <new>

char16_t LogShownChar(unsigned char byte) {
    // Through unsigned char: a plain char is negative above 0x7F, and as a
    // char16_t that would be U+FFxx, which fonts draw as nothing.
    return static_cast<char16_t>(static_cast<unsigned char>(LogShownByte(byte)));
}

namespace {

// Line and paragraph separators that other programs put on the clipboard
// break the line like a line end.
std::string ClipboardToLatin1(const std::string& utf8) {
    std::string text;
    text.reserve(utf8.size());
    for (std::size_t i = 0; i < utf8.size(); ++i) {
        if (utf8.compare(i, 2, "\xE2\x80") == 0 && i + 2 < utf8.size() &&
            (utf8[i + 2] == '\xA8' || utf8[i + 2] == '\xA9')) {
            text += '\n';
            i += 2;
        } else {
            text += utf8[i];
        }
    }
    return Utf8ToLatin1(text);
}

} // namespace

TLogView::TLogView(TLogModel& model, TLogSurface& surface, double left, double top)
    : Log(model), Surface(surface), Left(left), Top(top) {
    Log.SetListener(this);
}

TLogView::~TLogView() {
    Log.SetListener(nullptr);
}

void TLogView::SetMetrics(const TLogMetrics& metrics) {
    UserActed = true;
    Log.SetMetrics(metrics);
    RepaintAll = ScrollBarStale = true;
    Pending();
}

void TLogView::Pending() {
    const int ms = UserActed ? FrameMilliseconds : FollowMilliseconds;
    if (FrameTimer == 0 || ms < FrameTimer) {
        FrameTimer = ms;
        Surface.RunFrameTimer(ms);
    }
}

void TLogView::LogRowsChanged(size_t firstRow) {
    RepaintFromRow = std::min(RepaintFromRow, firstRow);
    Pending();
}

void TLogView::LogScrolled() {
    // Lines appended below the view change the scroll bar, not the view.
    ScrollBarStale = true;
    Pending();
}

void TLogView::LogCaretMoved() {
    CaretStale = true;
    RepaintAll = true;
    Pending();
}

void TLogView::Frame() {
    // Nobody sees it: nothing is done until somebody does, and then all of
    // it is painted.
    if (!Surface.Shown()) {
        RepaintAll = true;
        ThumbTop = -1;
        return;
    }
    const bool userActed = UserActed;
    FrameTimer = 0;
    UserActed = false;
    Surface.RunFrameTimer(0);
    const size_t top = Log.TopRow();
    if (ScrollBarStale) {
        const size_t maxTop = Log.MaxTopRow(), page = Log.VisibleRows();
        const double perRow = Log.Metrics().ViewHeight / static_cast<double>(maxTop + page);
        const long thumbTop = std::lround(static_cast<double>(top) * perRow);
        const long thumbLength = std::lround(static_cast<double>(page) * perRow);
        const bool moved = thumbTop != ThumbTop || thumbLength != ThumbLength;
        ++FramesSinceBar;
        // What the user does shows at once. While the view only follows the
        // lines coming in, its thumb creeps down the bar: moved once a
        // second it creeps as well, and each bar painted costs (under wine,
        // a themed bar takes some sixty round trips to its server).
        if ((moved && (userActed || ThumbTop < 0 || FramesSinceBar >= FollowBarFrames)) ||
            FramesSinceBar >= 15) {
            Surface.ShowScrollBar(maxTop, page, top, moved);
            ThumbTop = thumbTop;
            ThumbLength = thumbLength;
            FramesSinceBar = 0;
            ScrollBarStale = false;
        }
    }
    if (CaretStale)
        Surface.CaretMoved();
    const double rowHeight = Log.Metrics().RowHeight;
    const size_t visible = Log.VisibleRows();
    const size_t moved = top > PaintedTop ? top - PaintedTop : PaintedTop - top;
    if (!RepaintAll && moved > 0 && moved < visible) {
        // What is painted moves; only the rows that come into view, and
        // those that changed, are painted.
        Surface.ScrollView((static_cast<double>(top) - static_cast<double>(PaintedTop)) *
                           rowHeight);
        if (top > PaintedTop)
            RepaintFromRow = std::min(RepaintFromRow, top + visible - moved);
    } else if (moved > 0) {
        RepaintAll = true;
    }
    if (RepaintAll)
        Surface.Invalidate(0);
    else if (RepaintFromRow <= top + visible)
        Surface.Invalidate(RepaintFromRow <= top
                               ? 0
                               : Top + static_cast<double>(RepaintFromRow - top) * rowHeight);
    PaintedTop = top;
    CaretStale = RepaintAll = false;
    RepaintFromRow = static_cast<size_t>(-1);
    if (ScrollBarStale)
        Pending();
}

void TLogView::Paint(TLogCanvas& canvas, int height, bool caretShown, double fromY, double toY) {
    const int rowHeight = Log.Metrics().RowHeight;
    const double room = std::min<double>(height, toY) - Top;
    Log.RowsInView(room > 0 ? static_cast<size_t>(std::ceil(room / rowHeight)) : 0, Rows);
    double y = Top;
    for (const TLogRowView& row : Rows) {
        if (y + rowHeight > fromY)
            PaintRow(canvas, row, y);
        y += rowHeight;
    }
    if (caretShown) {
        const TLogCaretBox box = CaretBox(Log.CaretPos());
        canvas.Fill(std::round(box.X), box.Y, 1, box.Height, TLogInk::Text);
    }
}

TLogRgb MarkColor(TLogInk ink) {
    return ink == TLogInk::ChecksumError ? TLogRgb{0xC8, 0x00, 0x00} : TLogRgb{0xB4, 0x5F, 0x00};
}

void TLogView::PaintRow(TLogCanvas& canvas, const TLogRowView& row, double y) {
    const double rowHeight = Log.Metrics().RowHeight;
    const std::string_view text = row.Text;
    const TLogInk ink = row.Mark == TLogMark::ChecksumError   ? TLogInk::ChecksumError
                        : row.Mark == TLogMark::ShortPreamble ? TLogInk::ShortPreamble
                                                              : TLogInk::Text;
    if (row.SelectedFrom >= row.SelectedTo) {
        canvas.Text(Left, y, text, ink);
    } else {
        const double x0 = Left + row.SelectedLeft;
        const double x1 = Left + row.SelectedRight;
        canvas.Fill(x0, y, x1 - x0, rowHeight, TLogInk::Selection);
        canvas.Text(Left, y, text.substr(0, row.SelectedFrom), ink);
        canvas.Text(x1, y, text.substr(row.SelectedTo), ink);
        canvas.Text(x0, y, text.substr(row.SelectedFrom, row.SelectedTo - row.SelectedFrom),
                    TLogInk::SelectedText);
    }
    // A selected line end shows as one highlighted blank after the text.
    if (row.LineEndSelected)
        canvas.Fill(Left + row.Width, y, Log.Metrics().Advances[' '], rowHeight,
                    TLogInk::Selection);
}

bool TLogView::Key(TLogKey key, TLogKeyMods mods) {
    UserActed = true;
    const bool shift = mods.Shift;
    const bool ctrl = mods.Ctrl;
    if (mods.Alt)
        return false;
    switch (key) {
    case TLogKey::Left:
        Log.Move(ctrl ? TLogMove::PrevWord : TLogMove::PrevChar, shift);
        return true;
    case TLogKey::Right:
        Log.Move(ctrl ? TLogMove::NextWord : TLogMove::NextChar, shift);
        return true;
    case TLogKey::Up:
        Log.Move(TLogMove::RowUp, shift);
        return true;
    case TLogKey::Down:
        Log.Move(TLogMove::RowDown, shift);
        return true;
    case TLogKey::PageUp:
        Log.Move(TLogMove::PageUp, shift);
        return true;
    case TLogKey::PageDown:
        Log.Move(TLogMove::PageDown, shift);
        return true;
    case TLogKey::Home:
        Log.Move(ctrl ? TLogMove::DocStart : TLogMove::LineStart, shift);
        return true;
    case TLogKey::End:
        Log.Move(ctrl ? TLogMove::DocEnd : TLogMove::LineEnd, shift);
        return true;
    case TLogKey::Backspace:
        Log.Backspace();
        return true;
    case TLogKey::Delete:
        // Shift+Delete cuts, as in every text field of both desktops.
        if (shift)
            Cut();
        else
            Log.Delete();
        return true;
    case TLogKey::Insert:
        if (ctrl)
            Copy();
        else if (shift)
            Paste();
        return ctrl || shift;
    case TLogKey::Enter:
        Log.Enter();
        return true;
    case TLogKey::A:
        if (ctrl)
            Log.SelectAll();
        return ctrl;
    case TLogKey::C:
        if (ctrl)
            Copy();
        return ctrl;
    case TLogKey::V:
        if (ctrl)
            Paste();
        return ctrl;
    case TLogKey::X:
        if (ctrl)
            Cut();
        return ctrl;
    case TLogKey::Other:
        break;
    }
    return false;
}

void TLogView::Type(std::string_view latin1) {
    UserActed = true;
    if (!latin1.empty())
        Log.InsertText(latin1);
}

TLogPos TLogView::PosAt(double x, double y) const {
    const double row =
        std::floor((y - Top) / Log.Metrics().RowHeight) + static_cast<double>(Log.TopRow());
    return Log.PosAtRow(static_cast<size_t>(std::max(0.0, row)), x - Left);
}

TLogCaretBox TLogView::CaretBox(TLogPos pos) const {
    const TLogPlace place = Log.PlaceOf(pos);
    const int rowHeight = Log.Metrics().RowHeight;
    const double rows = static_cast<double>(place.Row) - static_cast<double>(Log.TopRow());
    return {Left + place.X, Top + rows * rowHeight, rowHeight};
}

void TLogView::FollowDragScrolling() {
    if (DragScrolling() != DragTimerRunning) {
        DragTimerRunning = DragScrolling();
        Surface.RunDragTimer(DragTimerRunning);
    }
}

void TLogView::Press(double x, double y, bool shift) {
    UserActed = true;
    Log.SetCaretPos(PosAt(x, y), shift);
    Dragging = true;
    Outside = false;
    FollowDragScrolling();
}

void TLogView::Drag(double x, double y) {
    UserActed = true;
    if (!Dragging)
        return;
    DragX = x;
    DragY = y;
    Log.SetCaretPos(PosAt(x, y), true);
    // Past the top or the bottom the selection keeps growing while the view
    // scrolls, on a timer, whether the mouse moves or not.
    Outside = y < 0 || y >= Top + Log.Metrics().ViewHeight;
    FollowDragScrolling();
}

void TLogView::Release() {
    Dragging = false;
    Outside = false;
    FollowDragScrolling();
}

void TLogView::DragScrollTick() {
    UserActed = true;
    if (DragScrolling()) {
        Log.ScrollBy(DragY < 0 ? -1 : 1);
        Log.SetCaretPos(PosAt(DragX, DragY), true);
    }
    FollowDragScrolling();
}

void TLogView::DoubleClick(double x, double y) {
    UserActed = true;
    if (Log.LineCount() == 0)
        return;
    Log.SelectWordAt(PosAt(x, y));
    Dragging = false;
    Outside = false;
    FollowDragScrolling();
}

void TLogView::Wheel(double notches) {
    UserActed = true;
    // Three rows a notch, as the desktops scroll text.
    Log.ScrollBy(static_cast<long long>(std::lround(-3 * notches)));
}

void TLogView::ScrollBar(TLogScroll action, size_t row) {
    UserActed = true;
    const auto page = static_cast<long long>(Log.VisibleRows());
    switch (action) {
    case TLogScroll::LineUp:
        Log.ScrollBy(-1);
        break;
    case TLogScroll::LineDown:
        Log.ScrollBy(1);
        break;
    case TLogScroll::PageUp:
        Log.ScrollBy(-page);
        break;
    case TLogScroll::PageDown:
        Log.ScrollBy(page);
        break;
    case TLogScroll::To:
        Log.ScrollTo(row);
        break;
    case TLogScroll::Top:
        Log.ScrollTo(0);
        break;
    case TLogScroll::Bottom:
        Log.ScrollTo(Log.MaxTopRow());
        break;
    }
}

std::vector<TLogMenuItem> TLogView::ContextMenu() const {
    return MenuFor(Log.CaretPos().Line);
}

std::vector<TLogMenuItem> TLogView::ContextMenuAt(double x, double y) const {
    // Below the last row the menu is on no line.
    const double row =
        std::floor((y - Top) / Log.Metrics().RowHeight) + static_cast<double>(Log.TopRow());
    const bool onText = row >= 0 && row < static_cast<double>(Log.TotalRows());
    return MenuFor(onText ? PosAt(x, y).Line : Log.LineCount());
}

std::vector<TLogMenuItem> TLogView::MenuFor(size_t line) const {
    const bool selected = Log.HasSelection();
    std::vector<TLogMenuItem> menu = {
        {TLogCommand::Cut, "&Ausschneiden", "Strg+X", selected, false},
        {TLogCommand::Copy, "&Kopieren", "Strg+C", selected, false},
        {TLogCommand::Paste, "&Einf\xC3\xBCgen", "Strg+V", !Surface.ClipboardText().empty(), false},
        {TLogCommand::Delete, "&L\xC3\xB6schen", "", selected, false},
        {TLogCommand::SelectAll, "Alles &markieren", "Strg+A", Log.LineCount() > 0, true},
    };
    OwnerItems =
        OwnerMenu != nullptr && *OwnerMenu ? (*OwnerMenu)(line) : std::vector<TLogOwnerItem>{};
    for (size_t i = 0; i < OwnerItems.size(); ++i)
        menu.push_back(
            {static_cast<TLogCommand>(static_cast<int>(TLogCommand::Owner) + static_cast<int>(i)),
             OwnerItems[i].Caption.c_str(), OwnerItems[i].Shortcut.c_str(), true, i == 0});
    return menu;
}

void TLogView::Run(TLogCommand command) {
    UserActed = true;
    switch (command) {
    case TLogCommand::Cut:
        Cut();
        break;
    case TLogCommand::Copy:
        Copy();
        break;
    case TLogCommand::Paste:
        Paste();
        break;
    case TLogCommand::Delete:
        Log.DeleteSelection();
        break;
    case TLogCommand::SelectAll:
        Log.SelectAll();
        break;
    default: {
        const auto i =
            static_cast<size_t>(static_cast<int>(command) - static_cast<int>(TLogCommand::Owner));
        if (i < OwnerItems.size() && OwnerItems[i].Run) {
            const std::function<void()> run = OwnerItems[i].Run;
            run();
        }
        break;
    }
    }
}

size_t TLogView::ClipboardLimit = size_t{256} << 20;

const char* const ClipboardBusyText =
    "Die Zwischenablage ist gerade von einem anderen Programm belegt; der Text wurde nicht "
    "kopiert. Bitte noch einmal versuchen.";

bool CopySelection(const TLogModel& log, TProgressHost* host,
                   const std::function<bool(const std::string&)>& put) {
    std::string refused;
    try {
        // In one piece, written straight from the log's blocks; a long one
        // shows its progress meanwhile.
        std::string text;
        bool fits = false;
        {
            TLongJob job(host, "Text wird kopiert \xE2\x80\xA6");
            fits = log.WriteSelectionUtf8(
                [&text](const char* data, size_t n) {
                    if (text.size() + n > TLogView::ClipboardLimit)
                        return false;
                    text.append(data, n);
                    return true;
                },
                [&job](size_t done, size_t total) { job.Step(done, total); });
        }
        if (fits) {
            if (!put(text))
                refused = ClipboardBusyText;
        } else
            refused =
                "Der markierte Text ist zu gro\xC3\x9F f\xC3\xBCr die Zwischenablage (mehr als " +
                std::to_string(TLogView::ClipboardLimit >> 20) +
                " MB). \xE2\x80\x9Espeichern\xE2\x80\x9C schreibt das ganze Protokoll in "
                "eine Datei.";
    } catch (const std::bad_alloc&) {
        refused = "Zu wenig Arbeitsspeicher, um den markierten Text zu kopieren.";
    }
    // Said once the text's memory is given back.
    if (!refused.empty() && host != nullptr)
        host->ShowErrorBox(refused);
    return refused.empty();
}

void TLogView::Copy() {
    if (Log.HasSelection())
        CopySelection(Log, Progress,
                      [this](const std::string& text) { return Surface.SetClipboardText(text); });
}

void TLogView::Cut() {
    // Only what reached the clipboard leaves the log.
    const auto put = [this](const std::string& text) { return Surface.SetClipboardText(text); };
    if (Log.HasSelection() && CopySelection(Log, Progress, put))
        Log.DeleteSelection();
}

void TLogView::Paste() {
    const std::string text = Surface.ClipboardText();
    if (!text.empty())
        Log.Paste(ClipboardToLatin1(text));
}
