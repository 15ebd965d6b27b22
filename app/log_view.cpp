#include "log_view.h"

#include "log_widget.h"

#include <QScrollBar>

TLogView::TLogView(QWidget* parent) : Log(new TLogWidget(parent)) {}

QWidget* TLogView::Widget() const {
    return Log;
}

void TLogView::AppendLine(const QString& line) {
    // Characters outside Latin-1 become '?', as when typed into the log.
    const QByteArray bytes = line.toLatin1();
    Log->AppendLatin1(std::string_view(bytes.constData(), static_cast<size_t>(bytes.size())));
}

void TLogView::AppendLatin1(const std::string& line) {
    Log->AppendLatin1(line);
}

void TLogView::Clear() {
    Log->Clear();
}

int TLogView::LineCount() const {
    return static_cast<int>(Log->LineCount());
}

QStringList TLogView::Lines() const {
    QStringList lines;
    const TLogStore& store = Log->Store();
    lines.reserve(static_cast<qsizetype>(store.LineCount()));
    for (size_t i = 0; i < store.LineCount(); ++i) {
        const std::string_view line = store.Line(i);
        lines << QString::fromLatin1(line.data(), static_cast<qsizetype>(line.size()));
    }
    return lines;
}

void TLogView::SelectAllAndCopy() {
    Log->SelectAll();
    Log->Copy();
}

bool TLogView::WriteTo(QIODevice& device) const {
    return Log->WriteTo(device);
}

QScrollBar* TLogView::ScrollBar() const {
    return Log->verticalScrollBar();
}

QString TLogView::SelectedText() const {
    return Log->SelectedText();
}
