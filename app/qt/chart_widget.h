// A bar chart of the window's logic (TBarChart) in Qt: paints what
// bar_chart.h decides with a painter.
#pragma once

#include "controls.h"

#include <QWidget>

class TChartWidget : public QWidget {
public:
    TChartWidget(TBarChart& chart, QWidget* parent);

protected:
    void paintEvent(QPaintEvent* e) override;

private:
    TBarChart& Chart;
};
