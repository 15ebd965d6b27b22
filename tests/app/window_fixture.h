// Shared set-up of the window tests: a program folder of its own for each
// test (so each has its own settings file), and helpers that answer modal
// boxes and wait for the event loop.
#pragma once

#include "log_view.h"
#include "main_window.h"

#include <QApplication>
#include <QDir>
#include <QElapsedTimer>
#include <QFileDialog>
#include <QLineEdit>
#include <QTemporaryDir>
#include <QThread>
#include <QTimer>
#include <QWidget>

#include <gtest/gtest.h>

#include <fstream>
#include <functional>
#include <memory>
#include <sstream>
#include <string>

// Runs the event loop until pred holds or five seconds have passed.
inline bool WaitFor(const std::function<bool()>& pred, int ms = 5000) {
    QElapsedTimer t;
    t.start();
    while (!pred()) {
        if (t.elapsed() > ms)
            return false;
        QCoreApplication::processEvents(QEventLoop::AllEvents, 10);
        QThread::msleep(2);
    }
    return true;
}

// When the next modal box or dialog is open, hands it to answer (which
// must close it).
inline void WhenModal(std::function<void(QWidget*)> answer) {
    auto* poll = new QTimer;
    poll->setInterval(5);
    QObject::connect(poll, &QTimer::timeout, [poll, answer] {
        if (QWidget* w = QApplication::activeModalWidget()) {
            poll->stop();
            poll->deleteLater();
            answer(w);
        }
    });
    poll->start();
}

// Answers an open save dialog as a user would: folder chosen, name typed,
// confirmed.
inline void TypeFileNameAndAccept(QWidget* w, const QString& folder, const QString& name) {
    auto* dialog = qobject_cast<QFileDialog*>(w);
    ASSERT_NE(dialog, nullptr);
    dialog->setDirectory(folder);
    auto* edit = dialog->findChild<QLineEdit*>("fileNameEdit");
    ASSERT_NE(edit, nullptr);
    edit->setText(name);
    static_cast<QDialog*>(dialog)->accept();
}

inline std::string ReadAll(const QString& path) {
    std::ifstream in(path.toStdString(), std::ios::binary);
    std::ostringstream s;
    s << in.rdbuf();
    return s.str();
}

inline void WriteAll(const QString& path, const std::string& text) {
    std::ofstream out(path.toStdString(), std::ios::binary);
    out << text;
}

struct WindowTest : ::testing::Test {
    QTemporaryDir Folder;
    QString Program = Folder.path() + "/fennox";
    QString Ini = Folder.path() + "/fennox.ini";
    std::unique_ptr<TfrmMain> Window;

    void Start() { Window = std::make_unique<TfrmMain>(Program); }
    void StartWithSettings(const std::string& text) {
        WriteAll(Ini, text);
        Start();
    }
    QStringList Log() const { return Window->Memo1->Lines(); }
    QString LastLine() const {
        const QStringList l = Log();
        return l.isEmpty() ? QString() : l.last();
    }
};
