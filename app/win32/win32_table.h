// A table of the window's logic (TTable) on Windows: a list view in report
// style whose items live in the model (LVS_OWNERDATA), so the list asks for
// the cells it paints and a long trace costs only the rows in view.
#pragma once

#include "controls.h"

#include <windows.h>

// The list view's style bits, for CreateWindowEx with WC_LISTVIEWA.
DWORD TableStyle();
// Full rows chosen and painted after it is made.
void SetUpTable(HWND list);
void ShowTableColumns(HWND list, const TTable& table);
// The count changed or any cell: the list keeps its scroll position.
void ShowTableRows(HWND list, const TTable& table);
void ShowTableSelection(HWND list, const TTable& table);
// A notification from the list: fills in the cells it asks for; a row the
// user chose goes to chosen (-1: none). True when it was the list's.
bool TableNotification(const NMHDR* header, const TTable& table, int& chosen, bool& choice);
