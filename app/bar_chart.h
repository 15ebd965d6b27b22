// How a bar chart is drawn, decided once for every front end: the front end
// implements TChartCanvas (fill a rectangle, draw and measure a text) and
// calls PaintBarChart when the toolkit asks it to paint.
#pragma once

#include "controls.h"

#include <string>

enum class TChartInk {
    Background, // the window's text field colour
    Text,
    Axis,
    Bar,
    MarkedBar, // the short-preamble mark's colour (MarkColor)
};

class TChartCanvas {
public:
    virtual void Fill(int x, int y, int width, int height, TChartInk ink) = 0;
    // UTF-8 text whose top left corner is at x, y.
    virtual void Text(int x, int y, const std::string& text) = 0;
    virtual int TextWidth(const std::string& text) = 0;
    virtual int TextHeight() = 0;

protected:
    ~TChartCanvas() = default;
};

// The bars side by side, as wide as the chart allows (at most 24 pixels),
// each as high as its value against the largest, the largest value written
// above the plot, and under the bars their labels wherever one fits beside
// the last written; a chart without bars shows its empty text.
void PaintBarChart(const TBarChart& chart, TChartCanvas& canvas, int width, int height);
