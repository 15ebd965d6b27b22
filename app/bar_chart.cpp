#include "bar_chart.h"

#include <algorithm>

void PaintBarChart(const TBarChart& chart, TChartCanvas& canvas, int width, int height) {
    canvas.Fill(0, 0, width, height, TChartInk::Background);
    const std::vector<TBar>& bars = chart.Bars();
    const int line = canvas.TextHeight();
    if (bars.empty()) {
        const std::string& empty = chart.EmptyText();
        canvas.Text((width - canvas.TextWidth(empty)) / 2, (height - line) / 2, empty);
        return;
    }
    constexpr int Margin = 4;
    uint64_t most = 1;
    for (const TBar& b : bars)
        most = std::max(most, b.Value);
    // The largest value above the plot, the labels below it.
    canvas.Text(Margin, Margin, std::to_string(most));
    const int top = Margin + line + 2;
    const int bottom = height - Margin - line - 2;
    const int plotWidth = width - 2 * Margin;
    const int plotHeight = bottom - top;
    if (plotWidth <= 0 || plotHeight <= 0)
        return;
    const int count = static_cast<int>(bars.size());
    const int step = std::max(1, std::min(24, plotWidth / count));
    const int gap = step >= 6 ? 2 : step >= 3 ? 1 : 0;
    canvas.Fill(Margin, bottom, std::min(plotWidth, step * count), 1, TChartInk::Axis);
    int labelsEnd = -1; // right edge of the last label written
    for (int i = 0; i < count; ++i) {
        const TBar& b = bars[static_cast<std::size_t>(i)];
        const int x = Margin + i * step;
        if (x + step > Margin + plotWidth)
            break;
        const auto h = static_cast<int>(static_cast<double>(plotHeight) *
                                        static_cast<double>(b.Value) / static_cast<double>(most));
        // A bar with any packets shows at least a sliver.
        const int shown = b.Value > 0 ? std::max(h, 1) : 0;
        canvas.Fill(x, bottom - shown, step - gap, shown,
                    b.Marked ? TChartInk::MarkedBar : TChartInk::Bar);
        const int labelWidth = canvas.TextWidth(b.Label);
        const int labelX = x + (step - gap - labelWidth) / 2;
        if (labelX > labelsEnd + 3) {
            canvas.Text(labelX, bottom + 2, b.Label);
            labelsEnd = labelX + labelWidth;
        }
    }
}
