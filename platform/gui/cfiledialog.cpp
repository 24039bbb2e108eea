#include "platform/gui/cfiledialog.h"

#include "platform/core/message_box.h"
#include "platform/gui/cdialog.h"
#include "platform/gui/cwinapp.h"
#include "platform/gui/file_filter.h"

#include <QApplication>
#include <QFileDialog>
#include <QFileInfo>
#include <QMessageBox>
#include <QPointer>

namespace {

// Qt's file dialog, which also refuses a typed name whose folder does not
// exist: it says so and stays open, so the user can correct the path.
class PathCheckingFileDialog : public QFileDialog {
public:
    PathCheckingFileDialog(QWidget* parent, bool pathMustExist)
        : QFileDialog(parent), m_pathMustExist(pathMustExist) {}

    void accept() override {
        if (m_pathMustExist) {
            for (const QString& file : selectedFiles()) {
                const QString folder = QFileInfo(file).absolutePath();
                if (!QFileInfo(folder).isDir()) {
                    QMessageBox::warning(this, windowTitle(),
                                         tr("%1\nThis folder does not exist.\n"
                                            "Check the path and try again.")
                                             .arg(folder));
                    return;
                }
            }
        }
        QFileDialog::accept();
    }

private:
    bool m_pathMustExist;
};

QFileDialog::FileMode FileModeFor(bool open, unsigned flags) {
    if (!open)
        return QFileDialog::AnyFile;
    if (flags & OFN_ALLOWMULTISELECT)
        return QFileDialog::ExistingFiles;
    return (flags & OFN_FILEMUSTEXIST) ? QFileDialog::ExistingFile : QFileDialog::AnyFile;
}

QString ToQString(const CString& text) {
    return QString::fromStdString(text.str());
}

} // namespace

CFileDialog::CFileDialog(bool openFileDialog, const char* defaultExtension, const char* fileName,
                         unsigned flags, const char* filter, QWidget* parentWnd)
    : m_openFileDialog(openFileDialog),
      m_defaultExtension(defaultExtension ? std::optional<CString>(defaultExtension)
                                          : std::nullopt),
      m_initialFileName(fileName),
      m_flags(flags | OFN_ENABLEHOOK | OFN_ENABLESIZING | OFN_EXPLORER), m_filter(filter),
      m_parent(parentWnd) {}

CFileDialog::~CFileDialog() = default;

int CFileDialog::DoModal() {
    m_extendedError = FNERR_NONE;
    CWinApp* app = AfxGetApp();
    QWidget* owner = m_parent ? m_parent : (app ? app->m_pMainWnd : nullptr);

    // Qt's own dialog rather than the desktop's: it behaves the same on every
    // desktop and honours every setting below.
    PathCheckingFileDialog dialog(owner, (m_flags & OFN_PATHMUSTEXIST) != 0);
    dialog.setOptions(QFileDialog::DontUseNativeDialog | QFileDialog::HideNameFilterDetails |
                      QFileDialog::DontResolveSymlinks);
    dialog.setAcceptMode(m_openFileDialog ? QFileDialog::AcceptOpen : QFileDialog::AcceptSave);
    dialog.setFileMode(FileModeFor(m_openFileDialog, m_flags));
    dialog.setOption(QFileDialog::DontConfirmOverwrite, !(m_flags & OFN_OVERWRITEPROMPT));
    dialog.setSizeGripEnabled((m_flags & OFN_ENABLESIZING) != 0);
    QStringList nameFilters;
    for (const std::string& nameFilter : QtNameFilters(m_filter.GetString()))
        nameFilters << QString::fromStdString(nameFilter);
    dialog.setNameFilters(nameFilters);
    if (m_defaultExtension)
        dialog.setDefaultSuffix(ToQString(*m_defaultExtension));
    if (!m_initialFileName.IsEmpty())
        dialog.selectFile(ToQString(m_initialFileName));

    // The keyboard focus goes back where it was once the dialog has closed.
    const QPointer<QWidget> focus = QApplication::focusWidget();
    const int result = dialog.exec();
    if (owner)
        owner->activateWindow();
    if (focus)
        focus->setFocus(Qt::OtherFocusReason);

    const QStringList files = dialog.selectedFiles();
    if (result != QDialog::Accepted || files.isEmpty())
        return IDCANCEL;
    std::vector<std::string> names;
    for (const QString& file : files)
        names.push_back(QFileInfo(file).fileName().toStdString());
    const std::string folder = QFileInfo(files.first()).absolutePath().toStdString();
    if (!WriteSelection(m_fileName, folder, names)) {
        m_extendedError = FNERR_BUFFERTOOSMALL;
        return IDCANCEL;
    }
    return IDOK;
}

CString CFileDialog::GetPathName() const {
    return CString(SelectionPathName(m_fileName));
}

POSITION CFileDialog::GetStartPosition() const {
    return SelectionStart(m_fileName);
}

CString CFileDialog::GetNextPathName(POSITION& position) const {
    return CString(NextSelectedPath(m_fileName, position));
}
