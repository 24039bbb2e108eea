#include "tests/support/file_dialog_driver.h"

#include <QApplication>
#include <QLineEdit>
#include <QtTest>

FileDialogDriver::FileDialogDriver() {
    m_timer.setInterval(10);
    connect(&m_timer, &QTimer::timeout, this, &FileDialogDriver::Poll);
    m_timer.start();
}

void FileDialogDriver::Poll() {
    auto* dialog = qobject_cast<QFileDialog*>(QApplication::activeModalWidget());
    if (dialog == nullptr || dialog == m_current || !dialog->isVisible() || m_actions.empty())
        return;
    m_current = dialog;
    ++m_dialogsSeen;
    const Action action = std::move(m_actions.front());
    m_actions.pop_front();
    action(dialog);
}

FileDialogDriver::Action FileDialogDriver::Choose(const QString& folder, const QStringList& names) {
    return [folder, names](QFileDialog* dialog) {
        dialog->setDirectory(folder);
        auto* nameBox = dialog->findChild<QLineEdit*>(QStringLiteral("fileNameEdit"));
        QVERIFY(nameBox);
        QString typed = names.size() == 1 ? names.front() : QString();
        if (names.size() > 1) {
            for (const QString& name : names)
                typed += QStringLiteral("\"%1\" ").arg(name);
        }
        // Set as one edit, as a paste would, so no completion pops up.
        nameBox->setFocus();
        nameBox->setText(typed.trimmed());
        QTest::keyClick(nameBox, Qt::Key_Return);
    };
}

FileDialogDriver::Action FileDialogDriver::Cancel() {
    return [](QFileDialog* dialog) { QTest::keyClick(dialog, Qt::Key_Escape); };
}
