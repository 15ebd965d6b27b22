#include "log_view.h"

#include "log_widget.h"

#include <QIODevice>
#include <QScrollBar>

TLogView::TLogView(QWidget* parent) : Log(new TLogWidget(Text, parent)) {}

TLogView::~TLogView() {
    // Unless its parent has taken it with it already.
    delete Log.data();
}

QWidget* TLogView::Widget() const {
    return Log;
}

TLogWidget* TLogView::View() const {
    return Log;
}

void TLogView::AppendLine(const QString& line) {
    // Characters outside Latin-1 become '?', as when typed into the log.
    const QByteArray bytes = line.toLatin1();
    Text.AppendLatin1(std::string_view(bytes.constData(), static_cast<size_t>(bytes.size())));
}

void TLogView::AppendLatin1(const std::string& line) {
    Text.AppendLatin1(line);
}

void TLogView::Clear() {
    Text.Clear();
}

int TLogView::LineCount() const {
    return static_cast<int>(Text.LineCount());
}

QStringList TLogView::Lines() const {
    QStringList lines;
    const TLogStore& store = Text.Store();
    lines.reserve(static_cast<qsizetype>(store.LineCount()));
    for (size_t i = 0; i < store.LineCount(); ++i) {
        const std::string_view line = store.Line(i);
        lines << QString::fromLatin1(line.data(), static_cast<qsizetype>(line.size()));
    }
    return lines;
}

void TLogView::SelectAllAndCopy() {
    Text.SelectAll();
    Log->Copy();
}

bool TLogView::WriteTo(QIODevice& device) const {
    return Text.WriteUtf8CrLf([&device](const char* data, size_t size) {
        return device.write(data, static_cast<qint64>(size)) == static_cast<qint64>(size);
    });
}

QScrollBar* TLogView::ScrollBar() const {
    return Log->verticalScrollBar();
}

QString TLogView::SelectedText() const {
    const std::string text = Text.SelectedText();
    return QString::fromLatin1(text.data(), static_cast<qsizetype>(text.size()));
}
