#include "log_view_input.h"

#include "latin1_text.h"

#include <algorithm>
#include <cmath>

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

TLogViewInput::TLogViewInput(TLogModel& model, TLogClipboard& clipboard, double left, double top)
    : Log(model), Clipboard(clipboard), Left(left), Top(top) {}

bool TLogViewInput::Key(TLogKey key, TLogKeyMods mods) {
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

void TLogViewInput::Type(std::string_view latin1) {
    if (!latin1.empty())
        Log.InsertText(latin1);
}

TLogPos TLogViewInput::PosAt(double x, double y) const {
    const double row =
        std::floor((y - Top) / Log.Metrics().RowHeight) + static_cast<double>(Log.TopRow());
    return Log.PosAtRow(static_cast<size_t>(std::max(0.0, row)), x - Left);
}

TLogCaretBox TLogViewInput::CaretBox(TLogPos pos) const {
    const TLogPlace place = Log.PlaceOf(pos);
    const int rowHeight = Log.Metrics().RowHeight;
    const double rows = static_cast<double>(place.Row) - static_cast<double>(Log.TopRow());
    return {Left + place.X, Top + rows * rowHeight, rowHeight};
}

void TLogViewInput::Press(double x, double y, bool shift) {
    Log.SetCaretPos(PosAt(x, y), shift);
    Dragging = true;
    Outside = false;
}

void TLogViewInput::Drag(double x, double y) {
    if (!Dragging)
        return;
    DragX = x;
    DragY = y;
    Log.SetCaretPos(PosAt(x, y), true);
    // Past the top or the bottom the selection keeps growing while the view
    // scrolls, on a timer, whether the mouse moves or not.
    Outside = y < 0 || y >= Top + Log.Metrics().ViewHeight;
}

void TLogViewInput::Release() {
    Dragging = false;
    Outside = false;
}

void TLogViewInput::DragScrollTick() {
    if (!DragScrolling())
        return;
    Log.ScrollBy(DragY < 0 ? -1 : 1);
    Log.SetCaretPos(PosAt(DragX, DragY), true);
}

void TLogViewInput::DoubleClick(double x, double y) {
    if (Log.LineCount() == 0)
        return;
    Log.SelectWordAt(PosAt(x, y));
    Dragging = false;
    Outside = false;
}

void TLogViewInput::Wheel(double notches) {
    // Three rows a notch, as the desktops scroll text.
    Log.ScrollBy(static_cast<long long>(std::lround(-3 * notches)));
}

std::vector<TLogMenuItem> TLogViewInput::ContextMenu() const {
    const bool selected = Log.HasSelection();
    return {
        {TLogCommand::Cut, "&Ausschneiden", "Strg+X", selected, false},
        {TLogCommand::Copy, "&Kopieren", "Strg+C", selected, false},
        {TLogCommand::Paste, "&Einf\xC3\xBCgen", "Strg+V", !Clipboard.Text().empty(), false},
        {TLogCommand::Delete, "&L\xC3\xB6schen", "", selected, false},
        {TLogCommand::SelectAll, "Alles &markieren", "Strg+A", Log.LineCount() > 0, true},
    };
}

void TLogViewInput::Run(TLogCommand command) {
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
    }
}

void TLogViewInput::Copy() {
    if (Log.HasSelection())
        Clipboard.SetText(Latin1ToUtf8(Log.SelectedText()));
}

void TLogViewInput::Cut() {
    if (Log.HasSelection())
        Clipboard.SetText(Latin1ToUtf8(Log.Cut()));
}

void TLogViewInput::Paste() {
    const std::string text = Clipboard.Text();
    if (!text.empty())
        Log.Paste(ClipboardToLatin1(text));
}
