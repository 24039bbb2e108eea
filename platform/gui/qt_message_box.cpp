#include "platform/gui/qt_message_box.h"

#include "platform/core/message_box.h"
#include "platform/gui/cdialog.h"
#include "platform/gui/cwinapp.h"

#include <QMessageBox>

namespace {

QMessageBox::Icon IconFor(unsigned type) {
    switch (type & MB_ICONMASK) {
    case MB_ICONSTOP:
        return QMessageBox::Critical;
    case MB_ICONINFORMATION:
        return QMessageBox::Information;
    default:
        return QMessageBox::Warning;
    }
}

} // namespace

int ShowQtMessageBox(const CString& text, unsigned type) {
    CWinApp* app = AfxGetApp();
    QWidget* owner = app ? app->m_pMainWnd : nullptr;
    const QString caption = app ? QString::fromStdString(app->m_pszAppName.str()) : QString();

    QMessageBox box(IconFor(type), caption, QString::fromStdString(text.str()), QMessageBox::Ok,
                    owner);
    box.setTextFormat(Qt::PlainText);
    // Modal for the whole application, so no command of the owner can start
    // while the box waits.
    box.setWindowModality(Qt::ApplicationModal);
    box.exec();
    return IDOK;
}
