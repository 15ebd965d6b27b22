#include "qt_platform.h"

#include "clock_text.h"
#include "error_box.h"

#include <QApplication>
#include <QClipboard>
#include <QCoreApplication>
#include <QDesktopServices>
#include <QFileDialog>
#include <QGuiApplication>
#include <QScreen>
#include <QStringList>
#include <QUrl>

TQtPlatform::TQtPlatform() = default;

TQtPlatform::~TQtPlatform() {
    delete SaveDialog1.data();
}

void TQtPlatform::SetOwner(QWidget* owner) {
    Owner = owner;
    // One dialog for the life of the window: it offers the last name again.
    delete SaveDialog1.data();
    SaveDialog1 = new QFileDialog(owner);
    SaveDialog1->setObjectName("SaveDialog1");
    SaveDialog1->setAcceptMode(QFileDialog::AcceptSave);
    SaveDialog1->setFileMode(QFileDialog::AnyFile);
    SaveDialog1->setSizeGripEnabled(true);
}

void TQtPlatform::ShowErrorBox(const std::string& text) {
    ::ShowErrorBox(QString::fromUtf8(text.c_str()));
}

void TQtPlatform::ShowWarningDialog(const std::string& text) {
    ::ShowWarningDialog(Owner, QString::fromUtf8(text.c_str()));
}

void TQtPlatform::ShowCommErrorBox(const std::string& caption, const std::string& text) {
    // The system's texts are in the locale's encoding.
    ShowSystemErrorBox(QString::fromLocal8Bit(caption.c_str()),
                       QString::fromLocal8Bit(text.c_str()));
}

bool TQtPlatform::ExecuteSaveDialog(const TSaveDialogRequest& request, std::string& path) {
    if (SaveDialog1 == nullptr)
        SetOwner(Owner);
    // Over the window the user asked from (the analysis window asks too),
    // which has the focus again when the dialog closes.
    QWidget* from = QApplication::activeWindow();
    QWidget* parent = from != nullptr && !from->isModal() ? from : Owner;
    if (parent != nullptr && SaveDialog1->parentWidget() != parent)
        SaveDialog1->setParent(parent, SaveDialog1->windowFlags());
    SaveDialog1->setDefaultSuffix(QString::fromUtf8(request.DefaultExtension.c_str()));
    SaveDialog1->setWindowTitle(QString::fromUtf8(request.Title.c_str()));
    // Pairs of description and pattern; Qt writes "description (pattern)"
    // and takes "*" for every file.
    QStringList filters;
    for (std::size_t i = 0; i + 1 < request.Filter.size(); i += 2) {
        QString pattern = QString::fromUtf8(request.Filter[i + 1].c_str());
        if (pattern == "*.*")
            pattern = "*";
        filters << QString::fromUtf8(request.Filter[i].c_str()) + " (" + pattern + ")";
    }
    SaveDialog1->setNameFilters(filters);
    if (SaveDialog1->exec() != QDialog::Accepted || SaveDialog1->selectedFiles().isEmpty())
        return false;
    path = SaveDialog1->selectedFiles().first().toLocal8Bit().toStdString();
    return true;
}

bool PutTextOnClipboard(const std::string& utf8) {
    QGuiApplication::clipboard()->setText(
        QString::fromUtf8(utf8.data(), static_cast<qsizetype>(utf8.size())));
    return true;
}

bool TQtPlatform::SetClipboardText(const std::string& text) {
    return PutTextOnClipboard(text);
}

void TQtPlatform::OpenUrl(const std::string& url) {
    QDesktopServices::openUrl(QUrl(QString::fromUtf8(url.c_str())));
}

bool TQtPlatform::OnSomeScreen(const TRect& outer) const {
    const QRect frame(outer.Left, outer.Top, outer.Width, outer.Height);
    for (const QScreen* screen : QGuiApplication::screens()) {
        if (screen->geometry().intersects(frame))
            return true;
    }
    return false;
}

std::string TQtPlatform::ProgramPath() const {
    return QCoreApplication::applicationFilePath().toLocal8Bit().toStdString();
}

std::string TQtPlatform::TimeText() {
    return LocalTimeText();
}

void TQtPlatform::ShowProgress(const std::string& text, int percent) {
    if (Progress == nullptr) {
        // Modal, without a cancel button: the job ends by itself.
        Progress = new QProgressDialog(QString::fromUtf8(text.c_str()), QString(), 0, 100, Owner);
        Progress->setWindowTitle("Fennox");
        Progress->setWindowModality(Qt::WindowModal);
        Progress->setMinimumDuration(0);
    }
    Progress->setValue(percent);
}

void TQtPlatform::HideProgress() {
    delete Progress.data();
}

void TQtPlatform::RunPendingEvents() {
    QCoreApplication::processEvents(QEventLoop::ExcludeUserInputEvents);
}
