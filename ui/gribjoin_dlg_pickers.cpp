// The two "..." buttons of the main dialog: the source picker and the
// destination picker. Each click stands alone: nothing carries over from one
// pick to the next.

#include "platform/core/message_box.h"
#include "platform/gui/cfiledialog.h"
#include "ui/gribjoin_dlg.h"

void CGribJoinDlg::OnPickDestination() {
    // Whatever was typed into either box is kept, picked or not.
    UpdateData(true);
    // A present but empty default extension: a name typed without one stays so.
    CFileDialog picker(false, "", "grib",
                       OFN_OVERWRITEPROMPT | OFN_HIDEREADONLY | OFN_PATHMUSTEXIST,
                       "Grib Files (*.grb)|*.grb|All Files (*.*)|*.*||", nullptr);
    if (picker.DoModal() != IDOK)
        return;
    m_destinationPath = picker.GetPathName();
    UpdateData(false);
}

void CGribJoinDlg::OnPickSources() {
    UpdateData(true);
    CFileDialog picker(true, nullptr, nullptr,
                       OFN_HIDEREADONLY | OFN_ALLOWMULTISELECT | OFN_PATHMUSTEXIST |
                           OFN_FILEMUSTEXIST | OFN_EXPLORER | OFN_ENABLESIZING,
                       "Grib Files (*.grb;*.grb.bz2)|*.grb; *.grb.bz2|All Files (*.*)|*.*||",
                       nullptr);
    if (picker.DoModal() != IDOK) {
        // A selection too large for one pick changes nothing either, but the
        // user is told why it was not taken.
        if (picker.GetExtendedError() == FNERR_BUFFERTOOSMALL)
            AfxMessageBox("The selected files do not fit in one selection. Select fewer files.");
        return;
    }

    // The list and its text are rebuilt together, in the dialog's order.
    POSITION position = picker.GetStartPosition();
    m_sourceList.SetSize(0);
    m_sourcesText = "";
    while (position != nullptr) {
        const CString path = picker.GetNextPathName(position);
        m_sourceList.Add(path);
        m_sourcesText += CString("\"") + path + "\"";
        if (position != nullptr)
            m_sourcesText += '+';
    }
    UpdateData(false);
}
