#include "chart_widget.h"

#include "bar_chart.h"
#include "log_view.h"

#include <QPainter>

namespace {

class TQtChartCanvas : public TChartCanvas {
public:
    TQtChartCanvas(QPainter& painter, const QPalette& palette)
        : Painter(painter), Palette(palette) {}
    void Fill(int x, int y, int width, int height, TChartInk ink) override {
        Painter.fillRect(x, y, width, height, ColorOf(ink));
    }
    void Text(int x, int y, const std::string& text) override {
        Painter.setPen(Palette.color(QPalette::Text));
        Painter.drawText(x, y + Painter.fontMetrics().ascent(), QString::fromUtf8(text.c_str()));
    }
    int TextWidth(const std::string& text) override {
        return Painter.fontMetrics().horizontalAdvance(QString::fromUtf8(text.c_str()));
    }
    int TextHeight() override { return Painter.fontMetrics().height(); }

private:
    QColor ColorOf(TChartInk ink) const {
        switch (ink) {
        case TChartInk::Background:
            return Palette.color(QPalette::Base);
        case TChartInk::Text:
        case TChartInk::Axis:
            return Palette.color(QPalette::Text);
        case TChartInk::Bar:
            return Palette.color(QPalette::Highlight);
        case TChartInk::MarkedBar:
            break;
        }
        const TLogRgb c = MarkColor(TLogInk::ShortPreamble);
        return QColor(c.R, c.G, c.B);
    }

    QPainter& Painter;
    const QPalette& Palette;
};

} // namespace

TChartWidget::TChartWidget(TBarChart& chart, QWidget* parent) : QWidget(parent), Chart(chart) {}

void TChartWidget::paintEvent(QPaintEvent*) {
    QPainter p(this);
    TQtChartCanvas canvas(p, palette());
    PaintBarChart(Chart, canvas, width(), height());
}
