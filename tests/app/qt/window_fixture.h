// Shared set-up of the Qt front end's tests: the window's logic with the Qt
// desktop and the Qt window over it, in a program folder of its own, and
// helpers that answer modal boxes and wait for the event loop.
#pragma once

#include "main_window.h"
#include "qt_platform.h"
#include "qt_window.h"

#include <QApplication>
#include <QElapsedTimer>
#include <QFileDialog>
#include <QLineEdit>
#include <QTemporaryDir>
#include <QThread>
#include <QTimer>
#include <QWidget>

#include <gtest/gtest.h>

#include <functional>
#include <memory>
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

// A desktop whose program file lies in a test folder.
class TTestQtPlatform : public TQtPlatform {
public:
    std::string Program;
    std::string ProgramPath() const override { return Program; }
};

struct QtWindowTest : ::testing::Test {
    QTemporaryDir Folder;
    TTestQtPlatform Desktop;
    std::unique_ptr<TfrmMain> Model;
    std::unique_ptr<TQtWindow> Window;

    QtWindowTest() { Desktop.Program = (Folder.path() + "/fennox").toStdString(); }
    ~QtWindowTest() override {
        Window.reset();
        Model.reset();
    }
    void Start() {
        Model = std::make_unique<TfrmMain>(Desktop);
        Window = std::make_unique<TQtWindow>(*Model, Model->Controls(), Desktop);
    }
    template <typename T> T* Widget(const TControl& c) const {
        return qobject_cast<T*>(Window->WidgetOf(c));
    }
};
