#include "translation.h"

#include <QCoreApplication>
#include <QLibraryInfo>
#include <QLocale>
#include <QTranslator>

bool InstallGermanTranslation() {
    static QTranslator translator;
    if (!translator.isEmpty())
        return true;
    const QString folder = QLibraryInfo::path(QLibraryInfo::TranslationsPath);
    if (!translator.load(QLocale(QLocale::German, QLocale::Germany), "qtbase", "_", folder))
        return false;
    return QCoreApplication::installTranslator(&translator);
}
