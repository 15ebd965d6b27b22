// The monitor's entry: the application, its title, the main window and the
// event loop. No command line and no environment are read.
#include "error_box.h"
#include "main_window.h"
#include "translation.h"

#include <QApplication>

#include <exception>
#include <memory>

int main(int argc, char** argv) {
    QApplication app(argc, argv);
    QApplication::setApplicationName("Fennox");
    InstallGermanTranslation();

    std::unique_ptr<TfrmMain> frmMain;
    try {
        frmMain = std::make_unique<TfrmMain>(QCoreApplication::applicationFilePath());
    } catch (const std::exception& e) {
        // A start-up failure (a settings file that cannot be read) leaves no
        // window behind.
        ShowErrorBox(QString::fromLocal8Bit(e.what()));
        return 0;
    }
    frmMain->show();
    app.exec();
    return 0;
}
