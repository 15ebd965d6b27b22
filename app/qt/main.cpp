// The monitor's entry on Linux: the application, its title, the window's
// logic, its Qt front end and the event loop. No command line and no
// environment are read.
#include "error_box.h"
#include "main_window.h"
#include "qt_platform.h"
#include "qt_window.h"
#include "translation.h"

#include <QApplication>

#include <exception>
#include <memory>

int main(int argc, char** argv) {
    QApplication app(argc, argv);
    QApplication::setApplicationName("Fennox");
    InstallGermanTranslation();

    TQtPlatform platform;
    std::unique_ptr<TfrmMain> frmMain;
    try {
        frmMain = std::make_unique<TfrmMain>(platform);
    } catch (const std::exception& e) {
        // A start-up failure (a settings file that cannot be read) leaves no
        // window behind.
        ShowErrorBox(QString::fromUtf8(e.what()));
        return 0;
    }
    TQtWindow window(*frmMain, platform);
    window.show();
    app.exec();
    return 0;
}
