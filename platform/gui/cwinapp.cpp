#include "platform/gui/cwinapp.h"

#include "platform/core/message_box.h"
#include "platform/gui/qt_message_box.h"

#include <QApplication>
#include <QDesktopServices>
#include <QFileInfo>
#include <QUrl>

namespace {

CWinApp* g_currentApp = nullptr;

} // namespace

CWinApp::CWinApp(const char* appName) : m_pszAppName(appName) {
    g_currentApp = this;
}

CWinApp::~CWinApp() {
    if (g_currentApp == this)
        g_currentApp = nullptr;
}

CWinApp* AfxGetApp() {
    return g_currentApp;
}

void CWinApp::SetNamesFromExecutable(const CString& executablePath) {
    const QFileInfo executable(QString::fromStdString(executablePath.str()));
    if (m_pszAppName.IsEmpty())
        m_pszAppName = CString(executable.completeBaseName().toStdString());
    // The help file sits beside the executable, named like it with ".HLP"
    // in place of its extension.
    const QString folder = executable.path();
    m_pszHelpFilePath = CString(
        (folder + QStringLiteral("/") + executable.completeBaseName() + QStringLiteral(".HLP"))
            .toStdString());
}

void CWinApp::WinHelp(unsigned /*context*/) {
    // A help file has no addressable topics on the Linux desktop, so the
    // whole file is shown with the desktop's default viewer.
    const QString helpFile = QString::fromStdString(m_pszHelpFilePath.str());
    const bool shown =
        QFileInfo(helpFile).isFile() && QDesktopServices::openUrl(QUrl::fromLocalFile(helpFile));
    if (!shown)
        AfxMessageBox("Failed to launch help.");
}

int AfxWinMain(int argc, char** argv) {
    QApplication application(argc, argv);
    CWinApp* app = AfxGetApp();
    if (app == nullptr)
        return 1;
    app->SetNamesFromExecutable(CString(QApplication::applicationFilePath().toStdString()));
    QApplication::setApplicationName(QString::fromStdString(app->m_pszAppName.str()));
    const MessageBoxHandler previous = SetMessageBoxHandler(ShowQtMessageBox);

    app->InitInstance();

    // The main window lives inside InitInstance; it must not be referred to
    // once that has returned.
    app->m_pMainWnd = nullptr;
    SetMessageBoxHandler(previous);
    return 0;
}
