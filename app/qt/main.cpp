// The monitor's entry on Linux: the application, its title and icon, the
// window's logic, its Qt front end and the event loop. No command line and no
// environment are read.
#include "error_box.h"
#include "main_window.h"
#include "qt_platform.h"
#include "qt_window.h"
#include "translation.h"

#include <QApplication>
#include <QIcon>

#include <exception>
#include <memory>

int main(int argc, char** argv) {
    QApplication app(argc, argv);
    QApplication::setApplicationName("Fennox");
    // The desktop entry fennox.desktop, so that a desktop can tie the window
    // to the entry's name and icon.
    QApplication::setDesktopFileName("fennox");
    // The icon theme's when the icon is installed, otherwise the built-in one.
    QApplication::setWindowIcon(QIcon::fromTheme("fennox", QIcon(":/icons/fennox-48.png")));
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
    TQtWindow window(*frmMain, frmMain->Controls(), platform);
    // The analysis window lies over the main window, hidden until it is
    // asked for.
    TQtWindow analysis(frmMain->frmAnalyse, frmMain->frmAnalyse.Controls(), platform, &window);
    window.show();
    app.exec();
    return 0;
}
