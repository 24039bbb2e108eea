#include "tests/support/modal_catcher.h"

#include <QApplication>
#include <QPushButton>

ModalCatcher::ModalCatcher() {
    m_timer.setInterval(10);
    connect(&m_timer, &QTimer::timeout, this, &ModalCatcher::Poll);
    m_timer.start();
}

QStringList ModalCatcher::texts() const {
    QStringList result;
    for (const auto& box : m_boxes)
        result << box.text;
    return result;
}

void ModalCatcher::Poll() {
    auto* box = qobject_cast<QMessageBox*>(QApplication::activeModalWidget());
    if (box == nullptr || !box->isVisible())
        return;
    m_boxes.push_back({box->windowTitle(), box->text(), box->icon(), box->parentWidget(),
                       box->windowModality() == Qt::ApplicationModal});
    box->button(QMessageBox::Ok)->click();
}
