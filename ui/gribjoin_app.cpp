#include "ui/gribjoin_app.h"

#include "ui/gribjoin_dlg.h"
#include "ui/res/version.h"

#include <QApplication>

bool CGribJoinApp::InitInstance() {
    QApplication::setApplicationVersion(QStringLiteral(GRIBJOIN_VERSION));
    QApplication::setDesktopFileName(QStringLiteral(GRIBJOIN_APP_ID));

    CGribJoinDlg dialog;
    QApplication::setWindowIcon(dialog.m_hIcon);
    m_pMainWnd = &dialog;
    dialog.DoModal();
    m_pMainWnd = nullptr;
    // The program ends when its dialog has closed.
    return false;
}
