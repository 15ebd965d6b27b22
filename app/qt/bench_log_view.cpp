// fennox-bench-log-view for the Qt log view (log_bench.h). Run with
// QT_QPA_PLATFORM=offscreen:
//   fennox-bench-log-view [--lines N] [--text FILE] [--compare PROGRAM]
#include "fonts.h"
#include "log_bench.h"
#include "log_widget.h"

#include <QApplication>
#include <QClipboard>

#include <cstdio>
#include <memory>
#include <unistd.h>

namespace {

class TQtBenchHost : public TLogBenchHost {
public:
    void Show(TLogModel& model, int width, int height) override {
        View = std::make_unique<TLogWidget>(model);
        View->setFont(MonitorFont());
        View->resize(width, height);
        View->show();
    }
    void Pump() override { QApplication::processEvents(); }
    void PaintNow() override { View->viewport()->repaint(); }
    void Resize(int width, int height) override {
        View->resize(width, height);
        QApplication::processEvents();
    }
    void Copy() override { View->Copy(); }
    void ForgetClipboard() override { QApplication::clipboard()->clear(); }
    std::size_t MemoryBytes() override {
        long pages = 0, resident = 0;
        if (FILE* f = std::fopen("/proc/self/statm", "r")) {
            if (std::fscanf(f, "%ld %ld", &pages, &resident) != 2)
                resident = 0;
            std::fclose(f);
        }
        return static_cast<std::size_t>(resident * sysconf(_SC_PAGESIZE));
    }

private:
    std::unique_ptr<TLogWidget> View;
};

} // namespace

int main(int argc, char** argv) {
    QApplication app(argc, argv);
    TQtBenchHost host;
    return RunLogBench(argc, argv, host);
}
