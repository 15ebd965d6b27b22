// Measures the log view against QPlainTextEdit, which it replaced: memory per
// line, appending with repaints, select all and copy, save, clear, and the
// re-wrap after a resize. Each widget is measured in a child process of its
// own, so neither sees the other's memory. Run with QT_QPA_PLATFORM=offscreen.
//
//   fennox-bench-log-view [lines for our view] [lines for QPlainTextEdit]
#include "bench_lines.h"
#include "fonts.h"
#include "log_widget.h"

#include <QApplication>
#include <QClipboard>
#include <QElapsedTimer>
#include <QFile>
#include <QMap>
#include <QPlainTextEdit>
#include <QProcess>
#include <QScrollBar>
#include <QTemporaryDir>
#include <QTextBlock>

#include <cstdio>
#include <string>
#include <unistd.h>
#include <vector>

namespace {

using bench::TLineSource;

long RssBytes() {
    long pages = 0, resident = 0;
    if (FILE* f = std::fopen("/proc/self/statm", "r")) {
        if (std::fscanf(f, "%ld %ld", &pages, &resident) != 2)
            resident = 0;
        std::fclose(f);
    }
    return resident * sysconf(_SC_PAGESIZE);
}

// What the benchmark does to a widget; one implementation per widget.
struct TSubject {
    virtual ~TSubject() = default;
    virtual QWidget* Widget() = 0;
    virtual void Append(const std::string& line) = 0;
    virtual void SelectAllAndCopy() = 0;
    virtual bool Save(QIODevice& file) = 0;
    virtual void Clear() = 0;
    virtual QWidget* Viewport() = 0;
};

struct TOurs : TSubject {
    TLogModel Model;
    TLogWidget View{Model};
    QWidget* Widget() override { return &View; }
    void Append(const std::string& line) override { Model.AppendLatin1(line); }
    void SelectAllAndCopy() override {
        Model.SelectAll();
        View.Copy();
    }
    bool Save(QIODevice& file) override {
        return Model.WriteUtf8CrLf([&file](const char* data, size_t n) {
            return file.write(data, static_cast<qint64>(n)) == static_cast<qint64>(n);
        });
    }
    void Clear() override { Model.Clear(); }
    QWidget* Viewport() override { return View.viewport(); }
};

// The log as it was before: a QPlainTextEdit, appended to and saved the
// same way.
struct TPlain : TSubject {
    QPlainTextEdit Edit;
    TPlain() {
        Edit.setLineWrapMode(QPlainTextEdit::WidgetWidth);
        Edit.setVerticalScrollBarPolicy(Qt::ScrollBarAlwaysOn);
        Edit.setUndoRedoEnabled(false);
    }
    QWidget* Widget() override { return &Edit; }
    void Append(const std::string& line) override {
        QScrollBar* bar = Edit.verticalScrollBar();
        const bool atEnd = bar->value() >= bar->maximum();
        const int value = bar->value();
        Edit.appendPlainText(QString::fromLatin1(line.data(), static_cast<qsizetype>(line.size())));
        bar->setValue(atEnd ? bar->maximum() : value);
    }
    void SelectAllAndCopy() override {
        Edit.selectAll();
        Edit.copy();
    }
    bool Save(QIODevice& file) override {
        for (QTextBlock b = Edit.document()->begin(); b.isValid(); b = b.next()) {
            file.write(b.text().toUtf8());
            file.write("\r\n", 2);
        }
        return true;
    }
    void Clear() override { Edit.clear(); }
    QWidget* Viewport() override { return Edit.viewport(); }
};

double Ms(const QElapsedTimer& t) {
    return static_cast<double>(t.nsecsElapsed()) / 1e6;
}

int RunChild(const QString& which, long lines) {
    TLineSource source;
    std::unique_ptr<TSubject> subject;
    if (which == "ours")
        subject = std::make_unique<TOurs>();
    else
        subject = std::make_unique<TPlain>();
    QWidget* w = subject->Widget();
    w->setFont(MonitorFont());
    w->resize(800, 700);
    w->show();
    QApplication::processEvents();

    const long before = RssBytes();
    QElapsedTimer t;
    t.start();
    // As the receive loop does: lines arrive one by one, and every 10 ms the
    // event loop gets its turn and repaints.
    qint64 lastTurn = 0;
    long turns = 0;
    for (long i = 0; i < lines; ++i) {
        subject->Append(source.Next());
        if (t.elapsed() - lastTurn >= 10) {
            QApplication::processEvents();
            lastTurn = t.elapsed();
            ++turns;
        }
    }
    QApplication::processEvents();
    const double appendMs = Ms(t);
    const long after = RssBytes();

    t.restart();
    subject->Viewport()->repaint();
    const double repaintMs = Ms(t);

    t.restart();
    subject->SelectAllAndCopy();
    const double copyMs = Ms(t);
    const long clipboardSize = QApplication::clipboard()->text().size();
    QApplication::clipboard()->clear();

    QTemporaryDir dir;
    QFile file(dir.path() + "/log.txt");
    t.restart();
    bool saved = file.open(QIODevice::WriteOnly) && subject->Save(file);
    file.close();
    const double saveMs = Ms(t);
    saved = saved && file.size() > 0;

    const int oldWidth = subject->Viewport()->width();
    t.restart();
    w->resize(600, 700);
    while (subject->Viewport()->width() == oldWidth && t.elapsed() < 60000)
        QApplication::processEvents();
    QApplication::processEvents();
    const double rewrapMs = Ms(t);

    t.restart();
    subject->Clear();
    QApplication::processEvents();
    const double clearMs = Ms(t);

    std::printf("lines %ld\nbytes_per_line %.1f\nus_per_line %.2f\nturns %ld\nrepaint_ms %.2f\n"
                "copy_ms %.1f\nclipboard_chars %ld\nsave_ms %.1f\nsaved %d\nfile_bytes %lld\n"
                "rewrap_ms %.1f\nclear_ms %.1f\n",
                lines, static_cast<double>(after - before) / static_cast<double>(lines),
                appendMs * 1000.0 / static_cast<double>(lines), turns, repaintMs, copyMs,
                clipboardSize, saveMs, saved ? 1 : 0, static_cast<long long>(file.size()), rewrapMs,
                clearMs);
    return 0;
}

QMap<QString, double> Measure(const QString& program, const QString& which, long lines) {
    QProcess child;
    child.setProcessChannelMode(QProcess::ForwardedErrorChannel);
    child.start(program, {"--child", which, QString::number(lines)});
    QMap<QString, double> values;
    if (!child.waitForFinished(-1) || child.exitCode() != 0) {
        std::fprintf(stderr, "measuring %s failed\n", qPrintable(which));
        return values;
    }
    for (const QByteArray& line : child.readAllStandardOutput().split('\n')) {
        const QList<QByteArray> kv = line.split(' ');
        if (kv.size() == 2)
            values[QString::fromLatin1(kv[0])] = kv[1].toDouble();
    }
    return values;
}

} // namespace

int main(int argc, char** argv) {
    QApplication app(argc, argv);
    const QStringList args = app.arguments();
    if (args.size() == 4 && args[1] == "--child")
        return RunChild(args[2], args[3].toLong());

    const long ourLines = args.size() > 1 ? args[1].toLong() : 1000000;
    const long plainLines = args.size() > 2 ? args[2].toLong() : 200000;
    std::printf("Appending %ld lines to TLogWidget and %ld to QPlainTextEdit, each in a child "
                "process, a widget 800x700 shown, events processed every 10 ms of appending.\n",
                ourLines, plainLines);
    std::fflush(stdout);
    const QMap<QString, double> ours = Measure(app.applicationFilePath(), "ours", ourLines);
    const QMap<QString, double> plain = Measure(app.applicationFilePath(), "plain", plainLines);
    if (ours.isEmpty() || plain.isEmpty())
        return 1;

    auto row = [&](const char* name, const char* key, const char* unit) {
        std::printf("| %-40s | %14.2f | %14.2f | %-5s |\n", name, ours[key], plain[key], unit);
    };
    std::printf("\n| %-40s | %14s | %14s | %-5s |\n", "", "TLogWidget", "QPlainTextEdit", "unit");
    std::printf("|%s|%s|%s|%s|\n", std::string(42, '-').c_str(), std::string(16, '-').c_str(),
                std::string(16, '-').c_str(), std::string(7, '-').c_str());
    row("lines appended", "lines", "");
    row("memory per line (RSS growth / lines)", "bytes_per_line", "B");
    row("append, per line, with repaints", "us_per_line", "us");
    row("one repaint of the full view", "repaint_ms", "ms");
    row("select all and copy", "copy_ms", "ms");
    row("save to a file", "save_ms", "ms");
    row("re-wrap after resize 800 -> 600 px", "rewrap_ms", "ms");
    row("clear", "clear_ms", "ms");
    row("characters on the clipboard", "clipboard_chars", "");
    row("bytes in the saved file", "file_bytes", "B");

    const double memRatio = plain["bytes_per_line"] / ours["bytes_per_line"];
    const double appendRatio = plain["us_per_line"] / ours["us_per_line"];
    std::printf("\nmemory per line: QPlainTextEdit / ours = %.1f (goal >= 5)\n", memRatio);
    std::printf("append per line: QPlainTextEdit / ours = %.1f (goal >= 20)\n", appendRatio);
    std::printf("save of %ld lines: %.0f ms (goal < 1000 ms for 1,000,000)\n", ourLines,
                ours["save_ms"]);
    std::printf("re-wrap after resize: %.1f ms (goal < 100 ms)\n", ours["rewrap_ms"]);
    return 0;
}
