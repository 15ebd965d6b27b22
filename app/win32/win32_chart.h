// A bar chart of the window's logic (TBarChart) on Windows: a window class
// of its own that paints what bar_chart.h decides with GDI.
#pragma once

#include "controls.h"

#include <windows.h>

// The class's name, registered on first use.
const char* ChartClass(HINSTANCE instance);
// The chart a window of that class shows; set once it is made.
void ShowsChart(HWND window, TBarChart& chart);
