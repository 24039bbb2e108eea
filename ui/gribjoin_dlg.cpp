#include "ui/gribjoin_dlg.h"

#include "engine/combine.h"
#include "ui/res/main_dialog_template.h"

#include <QPainter>
#include <QStyle>

CGribJoinDlg::CGribJoinDlg(QWidget* parent) : CDialog(MainDialogTemplate(), parent) {
    m_hIcon.addFile(QStringLiteral(":/gribjoin/gribjoin-32.png"), QSize(32, 32));
    m_hIcon.addFile(QStringLiteral(":/gribjoin/gribjoin-16.png"), QSize(16, 16));
    OnClicked(IDC_PICK_DESTINATION, [this] { OnPickDestination(); });
    OnClicked(IDC_PICK_SOURCES, [this] { OnPickSources(); });
}

void CGribJoinDlg::DoDataExchange(CDataExchange* pDX) {
    DDX_Text(pDX, IDC_DESTINATION, m_destinationPath);
    DDX_Text(pDX, IDC_SOURCES, m_sourcesText);
}

bool CGribJoinDlg::OnInitDialog() {
    CDialog::OnInitDialog();
    setWindowIcon(m_hIcon);
    return true;
}

void CGribJoinDlg::OnOK() {
    // The destination is the one the box shows now, also when it was typed
    // or edited by hand after the last pick.
    UpdateData(true);
    Combine(m_sourceList, m_destinationPath);
    CDialog::OnOK();
}

void CGribJoinDlg::paintEvent(QPaintEvent* event) {
    if (!isMinimized()) {
        CDialog::paintEvent(event);
        return;
    }
    QPainter painter(this);
    painter.fillRect(rect(), palette().window());
    const int extent = style()->pixelMetric(QStyle::PM_LargeIconSize, nullptr, this);
    const QSize iconSize(extent, extent);
    m_hIcon.paint(&painter, QRect(CenteredIconPosition(size(), iconSize), iconSize));
}

QPoint CenteredIconPosition(QSize client, QSize icon) {
    return QPoint((client.width() - icon.width() + 1) / 2,
                  (client.height() - icon.height() + 1) / 2);
}
