#include "win32_table.h"

#include "win32_text.h"

#include <commctrl.h>

DWORD TableStyle() {
    return LVS_REPORT | LVS_OWNERDATA | LVS_SINGLESEL | LVS_SHOWSELALWAYS | WS_TABSTOP;
}

void SetUpTable(HWND list) {
    SendMessageA(list, LVM_SETEXTENDEDLISTVIEWSTYLE, LVS_EX_FULLROWSELECT, LVS_EX_FULLROWSELECT);
}

void ShowTableColumns(HWND list, const TTable& table) {
    while (SendMessageA(list, LVM_DELETECOLUMN, 0, 0)) {
    }
    int i = 0;
    for (const TTableColumn& c : table.Columns()) {
        std::string caption = Utf8ToAnsi(c.Caption);
        LVCOLUMNA column{};
        column.mask = LVCF_FMT | LVCF_WIDTH | LVCF_TEXT;
        column.fmt = c.RightAligned ? LVCFMT_RIGHT : LVCFMT_LEFT;
        column.cx = c.Width;
        column.pszText = &caption[0];
        SendMessageA(list, LVM_INSERTCOLUMNA, static_cast<WPARAM>(i++),
                     reinterpret_cast<LPARAM>(&column));
    }
}

void ShowTableRows(HWND list, const TTable& table) {
    SendMessageA(list, LVM_SETITEMCOUNT, table.RowCount(),
                 LVSICF_NOINVALIDATEALL | LVSICF_NOSCROLL);
    InvalidateRect(list, nullptr, FALSE);
}

void ShowTableSelection(HWND list, const TTable& table) {
    LVITEMA item{};
    item.stateMask = LVIS_SELECTED | LVIS_FOCUSED;
    item.state = 0;
    SendMessageA(list, LVM_SETITEMSTATE, static_cast<WPARAM>(-1), reinterpret_cast<LPARAM>(&item));
    if (table.Selected() < 0)
        return;
    item.state = LVIS_SELECTED | LVIS_FOCUSED;
    SendMessageA(list, LVM_SETITEMSTATE, static_cast<WPARAM>(table.Selected()),
                 reinterpret_cast<LPARAM>(&item));
}

bool TableNotification(const NMHDR* header, const TTable& table, int& chosen, bool& choice) {
    choice = false;
    if (header->code == LVN_GETDISPINFOA) {
        LVITEMA& item = reinterpret_cast<NMLVDISPINFOA*>(const_cast<NMHDR*>(header))->item;
        const auto row = static_cast<std::size_t>(item.iItem);
        if ((item.mask & LVIF_TEXT) && row < table.RowCount() && item.cchTextMax > 0) {
            const std::string text =
                Utf8ToAnsi(table.Cell(row, static_cast<std::size_t>(item.iSubItem)));
            lstrcpynA(item.pszText, text.c_str(), item.cchTextMax);
        }
        return true;
    }
    if (header->code == LVN_ITEMCHANGED) {
        const auto* change = reinterpret_cast<const NMLISTVIEW*>(header);
        if ((change->uChanged & LVIF_STATE) &&
            ((change->uNewState ^ change->uOldState) & LVIS_SELECTED)) {
            choice = true;
            chosen = (change->uNewState & LVIS_SELECTED) ? change->iItem : -1;
        }
        return true;
    }
    return false;
}
