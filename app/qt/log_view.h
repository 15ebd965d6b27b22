// One log text field (the Monitor log or the Bitstream log): its model and
// the Qt widget that shows it. The window talks to the log only through this
// class, so the widget underneath can be replaced without touching the rest.
#pragma once

#include "log_model.h"

#include <QPointer>
#include <QString>
#include <QStringList>

#include <string>

class QIODevice;
class QScrollBar;
class QWidget;
class TLogWidget;

class TLogView {
public:
    explicit TLogView(QWidget* parent);
    ~TLogView();
    TLogView(const TLogView&) = delete;
    TLogView& operator=(const TLogView&) = delete;

    QWidget* Widget() const;
    TLogWidget* View() const;
    TLogModel& Model() { return Text; }

    // Appends one line at the end. While the view shows the end it keeps
    // showing it; when the user has scrolled up it stays where it was.
    void AppendLine(const QString& line);
    // Decoder lines are single-byte text; every byte is the Latin-1 letter of
    // its value.
    void AppendLatin1(const std::string& line);
    void Clear();
    int LineCount() const;
    // A copy of every line; for tests and small logs.
    QStringList Lines() const;
    // Selects the whole text and copies it to the clipboard; the selection
    // stays.
    void SelectAllAndCopy();
    // The whole text as UTF-8 with CR LF after every line, written in pieces
    // straight from the log's storage; false when the device refused.
    bool WriteTo(QIODevice& device) const;

    QScrollBar* ScrollBar() const;
    QString SelectedText() const;

private:
    // The model first: the widget points at it and goes before it.
    TLogModel Text;
    QPointer<TLogWidget> Log;
};
