// The window's fonts: the named ones, with the DejaVu families standing in
// where they are missing (the usual case on Linux).
#pragma once

#include <QFont>

// The controls' sans-serif at 8 points; bold for Start, Stop and Ende.
QFont ControlFont(bool bold = false);
// The Monitor log's fixed-pitch font at 8 points.
QFont MonitorFont();
