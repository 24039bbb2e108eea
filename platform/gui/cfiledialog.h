#pragma once

#include "platform/core/cstring.h"
#include "platform/gui/file_selection.h"

#include <optional>

class QWidget;

// Flags of a file dialog, as bit fields of one unsigned value.
enum FileDialogFlag : unsigned {
    OFN_OVERWRITEPROMPT = 0x00000002,  // ask before an existing file is chosen for saving
    OFN_HIDEREADONLY = 0x00000004,     // no read-only check box
    OFN_ENABLEHOOK = 0x00000020,       // the wrapper follows the dialog (centring)
    OFN_ALLOWMULTISELECT = 0x00000200, // several files can be chosen at once
    OFN_PATHMUSTEXIST = 0x00000800,    // the folder of a typed name must exist
    OFN_FILEMUSTEXIST = 0x00001000,    // only existing files are accepted
    OFN_EXPLORER = 0x00080000,         // several files come back as folder + names
    OFN_ENABLESIZING = 0x00800000,     // the dialog can be resized
};

// Why the last DoModal returned IDCANCEL without the user cancelling.
enum FileDialogError : unsigned {
    FNERR_NONE = 0,
    FNERR_BUFFERTOOSMALL = 0x3003, // the selection does not fit in the result buffer
};

// A modal open or save dialog (Qt's own file dialog), owned by the main
// window. The chosen files come back in a buffer of kSelectionCapacity
// bytes, laid out as file_selection.h describes; a choice that does not fit
// counts as a failure.
class CFileDialog {
public:
    // `defaultExtension`: null for none; "" for present but empty, which adds
    // no extension to a typed name either. `filter`: "Description|patterns|...||".
    CFileDialog(bool openFileDialog, const char* defaultExtension = nullptr,
                const char* fileName = nullptr,
                unsigned flags = OFN_HIDEREADONLY | OFN_OVERWRITEPROMPT,
                const char* filter = nullptr, QWidget* parentWnd = nullptr);
    virtual ~CFileDialog();
    CFileDialog(const CFileDialog&) = delete;
    CFileDialog& operator=(const CFileDialog&) = delete;

    // Shows the dialog; IDOK when files were chosen and fit the buffer,
    // IDCANCEL otherwise (cancelled, closed, or too much to fit).
    int DoModal();
    // FNERR_BUFFERTOOSMALL when the last DoModal failed because the chosen
    // files did not fit; FNERR_NONE otherwise.
    unsigned GetExtendedError() const { return m_extendedError; }

    // After IDOK: the buffer's first string; for a save dialog, the path.
    CString GetPathName() const;
    POSITION GetStartPosition() const;
    // The full path at `position`; moves it on, or to null after the last.
    CString GetNextPathName(POSITION& position) const;

    unsigned GetFlags() const { return m_flags; }

private:
    bool m_openFileDialog;
    std::optional<CString> m_defaultExtension;
    CString m_initialFileName;
    unsigned m_flags;
    CString m_filter;
    QWidget* m_parent;
    SelectionBuffer m_fileName{};
    unsigned m_extendedError = FNERR_NONE;
};
