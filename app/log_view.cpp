#include "log_view.h"

#include <QPlainTextEdit>
#include <QScrollBar>
#include <QTextBlock>
#include <QTextDocument>

TLogView::TLogView(QWidget* parent) : TextEdit(new QPlainTextEdit(parent)) {
    TextEdit->setLineWrapMode(QPlainTextEdit::WidgetWidth);
    TextEdit->setVerticalScrollBarPolicy(Qt::ScrollBarAlwaysOn);
    TextEdit->setUndoRedoEnabled(false); // an undo stack would double the memory of a long log
}

QWidget* TLogView::Widget() const {
    return TextEdit;
}

void TLogView::AppendLine(const QString& line) {
    QScrollBar* bar = TextEdit->verticalScrollBar();
    const bool atEnd = bar->value() >= bar->maximum();
    const int value = bar->value();
    TextEdit->appendPlainText(line);
    bar->setValue(atEnd ? bar->maximum() : value);
}

void TLogView::AppendLatin1(const std::string& line) {
    AppendLine(QString::fromLatin1(line.data(), static_cast<qsizetype>(line.size())));
}

void TLogView::Clear() {
    TextEdit->clear();
}

int TLogView::LineCount() const {
    // An empty document still holds one empty block.
    const QTextDocument* doc = TextEdit->document();
    return doc->isEmpty() ? 0 : doc->blockCount();
}

QStringList TLogView::Lines() const {
    QStringList lines;
    if (TextEdit->document()->isEmpty())
        return lines;
    for (QTextBlock b = TextEdit->document()->begin(); b.isValid(); b = b.next())
        lines << b.text();
    return lines;
}

void TLogView::SelectAllAndCopy() {
    TextEdit->selectAll();
    TextEdit->copy();
}
