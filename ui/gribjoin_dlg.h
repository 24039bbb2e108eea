#pragma once

#include "platform/core/cstring.h"
#include "platform/core/cstring_array.h"
#include "platform/gui/cdialog.h"

#include <QIcon>
#include <QPoint>
#include <QSize>

// The program's one window: the sources and the destination, and the buttons
// that pick them, join them (Combine) and quit (Done).
class CGribJoinDlg : public CDialog {
public:
    explicit CGribJoinDlg(QWidget* parent = nullptr);

    // Exchanged with the destination box; what Combine writes.
    CString m_destinationPath;
    // Exchanged with the sources box; shown, never parsed.
    CString m_sourcesText;
    QIcon m_hIcon;
    // The full paths of the picked sources, in the order they are joined.
    CStringArray m_sourceList;

protected:
    void DoDataExchange(CDataExchange* pDX) override;
    bool OnInitDialog() override;
    void OnOK() override;
    void paintEvent(QPaintEvent* event) override;

    // The "..." buttons: pick the sources (several files of one folder) and
    // the destination.
    void OnPickSources();
    void OnPickDestination();
};

// Where a minimised window draws its icon: centred in the client area, with
// integer division that truncates toward zero, so a client area narrower
// than the icon gives a negative offset.
QPoint CenteredIconPosition(QSize client, QSize icon);
