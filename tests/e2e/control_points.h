// Where the end-to-end tests click: points well inside the controls,
// relative to the window's inner top-left (the panel starts at its left
// edge). Both front ends lay the controls out at the same places.
#pragma once

struct TPoint {
    int X, Y;
};

const TPoint ComSuche{53, 28};
const TPoint BtnStart{84, 346};
const TPoint BtnStop{84, 373};
const TPoint BtnEnde{84, 397};
const TPoint BtnSave{123, 276};

// The port choice Com<n>, on its caption.
inline TPoint PortChoice(int n) {
    static const TPoint at[9] = {{6, 56},  {6, 72},  {6, 88},   {6, 104}, {60, 56},
                                 {60, 72}, {60, 88}, {60, 104}, {114, 56}};
    return {at[n - 1].X + 20, at[n - 1].Y + 8};
}

// A check box of the display group boxes, by its group's top-left and its own.
inline TPoint CheckBox(int groupLeft, int groupTop, int left, int top) {
    return {groupLeft + left + 25, groupTop + top + 8};
}
const TPoint CbxTime = CheckBox(174, 46, 13, 20);
const TPoint CbxFilter = CheckBox(174, 173, 8, 14);
const TPoint CbxIdle = CheckBox(174, 345, 13, 78);
const TPoint CbxCv = CheckBox(174, 345, 13, 114);
const TPoint EdtMin{174 + 11 + 27, 173 + 36 + 10};
const TPoint EdtMax{174 + 96 + 27, 173 + 36 + 10};

// The analysis window's buttons (ArrangeAnalysis), relative to its inside.
const TPoint BtnZuruecksetzen{63, 20};
const TPoint BtnKopieren{169, 20};
const TPoint BtnBericht{290, 20};
const TPoint BtnAufzeichnen{451, 20};
