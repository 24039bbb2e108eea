#include "platform/gui/cdialog.h"

#include "platform/core/exception_report.h"
#include "platform/core/message_box.h"
#include "platform/gui/cwinapp.h"
#include "platform/gui/dialog_units.h"

#include <limits>

#include <QKeyEvent>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QScreen>

namespace {

constexpr unsigned kHelpContextBase = 0x20000;

QWidget* MakeControl(const ControlTemplate& control, QWidget* parent) {
    const QString text = QString::fromUtf8(control.text);
    switch (control.kind) {
    case ControlKind::PushButton: {
        auto* button = new QPushButton(text, parent);
        button->setAutoDefault(true);
        button->setDefault((control.style & BS_DEFPUSHBUTTON) != 0);
        return button;
    }
    case ControlKind::Edit: {
        auto* edit = new QLineEdit(text, parent);
        edit->setMaxLength(std::numeric_limits<int>::max());
        edit->setReadOnly((control.style & ES_READONLY) != 0);
        edit->setFrame((control.style & WS_BORDER) != 0);
        return edit;
    }
    case ControlKind::Static: {
        // Plain text: angle brackets in a label are text, not markup.
        auto* label = new QLabel(text, parent);
        label->setTextFormat(Qt::PlainText);
        return label;
    }
    }
    return nullptr;
}

} // namespace

void DDX_Text(CDataExchange* pDX, int id, CString& value) {
    auto* edit = qobject_cast<QLineEdit*>(pDX->m_pDlgWnd->GetDlgItem(id));
    if (edit == nullptr)
        return;
    if (pDX->m_bSaveAndValidate)
        value = CString(edit->text().toStdString());
    else {
        edit->setText(QString::fromStdString(value.str()));
        // Show the start of a long text, as a freshly filled box should.
        edit->setCursorPosition(0);
    }
}

CDialog::CDialog(const DialogTemplate& dialogTemplate, QWidget* parent)
    : QDialog(parent, Qt::Dialog | Qt::CustomizeWindowHint | Qt::WindowTitleHint |
                          Qt::WindowSystemMenuHint | Qt::WindowCloseButtonHint),
      m_template(dialogTemplate) {}

CDialog::~CDialog() {
    if (CWinApp* app = AfxGetApp(); app && app->m_pMainWnd == this)
        app->m_pMainWnd = nullptr;
}

void CDialog::BuildControls() {
    QFont font(QString::fromUtf8(m_template.fontFamily), m_template.fontPointSize);
    font.setStyleHint(QFont::SansSerif);
    setFont(font);
    setWindowTitle(QString::fromUtf8(m_template.caption));

    const DialogBaseUnits base = BaseUnitsOf(font);
    setFixedSize(DialogUnitsToPixels(QRect(0, 0, m_template.cx, m_template.cy), base).size());

    QWidget* previousTabStop = nullptr;
    for (const ControlTemplate& control : m_template.controls) {
        QWidget* widget = MakeControl(control, this);
        widget->setObjectName(QString::fromUtf8(control.objectName));
        widget->setGeometry(
            DialogUnitsToPixels(QRect(control.x, control.y, control.cx, control.cy), base));
        const bool tabStop = (control.style & WS_TABSTOP) != 0;
        widget->setFocusPolicy(tabStop ? Qt::StrongFocus : Qt::NoFocus);
        if (tabStop) {
            if (previousTabStop)
                setTabOrder(previousTabStop, widget);
            previousTabStop = widget;
        }
        if (auto* button = qobject_cast<QPushButton*>(widget)) {
            const int id = control.id;
            connect(button, &QPushButton::clicked, this, [this, id] { OnCommand(id); });
        }
        if (control.id != -1)
            m_controls[control.id] = widget;
    }
    m_built = true;
}

bool CDialog::Create() {
    if (!m_built)
        BuildControls();
    bool initialised = false;
    if (!RunReportingFailure([&] { initialised = OnInitDialog(); }))
        return false;
    if (initialised) {
        // Focus goes to the first control in the tab order.
        for (const ControlTemplate& control : m_template.controls) {
            if (control.style & WS_TABSTOP) {
                m_controls.at(control.id)->setFocus(Qt::OtherFocusReason);
                break;
            }
        }
    }
    return true;
}

int CDialog::DoModal() {
    if (!Create())
        return -1;
    if (const QScreen* screen = this->screen()) {
        QRect frame(QPoint(0, 0), size());
        frame.moveCenter(screen->availableGeometry().center());
        move(frame.topLeft());
    }
    return exec();
}

void CDialog::EndDialog(int result) {
    done(result);
}

bool CDialog::UpdateData(bool saveAndValidate) {
    CDataExchange exchange(this, saveAndValidate);
    DoDataExchange(&exchange);
    return true;
}

QWidget* CDialog::GetDlgItem(int id) const {
    const auto found = m_controls.find(id);
    return found == m_controls.end() ? nullptr : found->second;
}

unsigned CDialog::GetHelpContext() const {
    return kHelpContextBase + static_cast<unsigned>(m_template.id);
}

bool CDialog::OnInitDialog() {
    UpdateData(false);
    return true;
}

void CDialog::OnOK() {
    if (UpdateData(true))
        EndDialog(IDOK);
}

void CDialog::OnCancel() {
    EndDialog(IDCANCEL);
}

void CDialog::OnClicked(int id, std::function<void()> handler) {
    m_clickHandlers[id] = std::move(handler);
}

void CDialog::OnCommand(int id) {
    RunReportingFailure([&] { RouteCommand(id); });
}

void CDialog::RouteCommand(int id) {
    if (id == IDOK) {
        OnOK();
    } else if (id == IDCANCEL) {
        OnCancel();
    } else if (const auto handler = m_clickHandlers.find(id); handler != m_clickHandlers.end()) {
        handler->second();
    }
}

bool CDialog::RunReportingFailure(const std::function<void()>& action) {
    try {
        action();
        return true;
    } catch (...) {
        ReportException(std::current_exception());
        return false;
    }
}

void CDialog::accept() {
    OnCommand(IDOK);
}

// Esc and the window's close button arrive here.
void CDialog::reject() {
    OnCommand(IDCANCEL);
}

void CDialog::keyPressEvent(QKeyEvent* event) {
    if (event->key() == Qt::Key_F1 && event->modifiers() == Qt::NoModifier) {
        if (CWinApp* app = AfxGetApp())
            RunReportingFailure([&] { app->WinHelp(GetHelpContext()); });
        return;
    }
    QDialog::keyPressEvent(event);
}
