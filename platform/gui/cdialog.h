#pragma once

#include "platform/core/cstring.h"
#include "platform/gui/dialog_template.h"

#include <functional>
#include <map>

#include <QDialog>

class CDialog;

// One direction of a data exchange between a dialog's members and its
// controls: save (controls to members) or load (members to controls).
class CDataExchange {
public:
    CDataExchange(CDialog* dialog, bool saveAndValidate)
        : m_bSaveAndValidate(saveAndValidate), m_pDlgWnd(dialog) {}

    const bool m_bSaveAndValidate;
    CDialog* const m_pDlgWnd;
};

// Exchanges the whole text of edit control `id` with `value`.
void DDX_Text(CDataExchange* pDX, int id, CString& value);

// A dialog built from a DialogTemplate. Every button click is a command,
// routed by control id: IDOK to OnOK, IDCANCEL to OnCancel, others to the
// handlers registered with OnClicked. Esc and closing the window send
// IDCANCEL; Enter presses the focused push button, or the default one.
//
// OnCommand is the one place that catches what a command handler raises: it
// reports the failure (ReportException), counts the command as handled and
// leaves the dialog open. No exception ever reaches Qt's event loop.
class CDialog : public QDialog {
public:
    explicit CDialog(const DialogTemplate& dialogTemplate, QWidget* parent = nullptr);
    ~CDialog() override;

    // Creates the window, centres it on the screen, shows it and runs it
    // modally. Returns the value given to EndDialog, or -1 when the dialog
    // could not be initialised.
    int DoModal();
    // Builds the controls and runs OnInitDialog, without showing the window.
    // Returns false when initialisation failed (already reported).
    bool Create();
    // Ends the modal loop with `result` and hides the window.
    void EndDialog(int result);

    // Runs DoDataExchange: true copies the controls into the members, false
    // the members into the controls.
    bool UpdateData(bool saveAndValidate = true);

    // The control with identifier `id`, or null.
    QWidget* GetDlgItem(int id) const;

    // Runs the command of control `id`, reporting whatever it raises.
    void OnCommand(int id);

    // The help context of this dialog: a fixed base plus its template id.
    unsigned GetHelpContext() const;

protected:
    virtual bool OnInitDialog();
    virtual void OnOK();
    virtual void OnCancel();
    virtual void DoDataExchange(CDataExchange* /*pDX*/) {}

    // Registers `handler` for clicks of the button with identifier `id`.
    void OnClicked(int id, std::function<void()> handler);

    void accept() override;
    void reject() override;
    void keyPressEvent(QKeyEvent* event) override;

private:
    void BuildControls();
    void RouteCommand(int id);
    bool RunReportingFailure(const std::function<void()>& action);

    const DialogTemplate& m_template;
    std::map<int, QWidget*> m_controls;
    std::map<int, std::function<void()>> m_clickHandlers;
    bool m_built = false;
};
