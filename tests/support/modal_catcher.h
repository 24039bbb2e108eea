#pragma once

#include <functional>
#include <vector>

#include <QMessageBox>
#include <QObject>
#include <QString>
#include <QTimer>

// Watches for modal message boxes while it lives: records each one's
// caption, text and icon, then presses its OK button, so a test can run code
// that opens boxes and assert afterwards that they really appeared.
class ModalCatcher : public QObject {
public:
    struct Box {
        QString caption;
        QString text;
        QMessageBox::Icon icon;
        QWidget* owner;
        bool applicationModal;
    };

    ModalCatcher();
    const std::vector<Box>& boxes() const { return m_boxes; }
    QStringList texts() const;

private:
    void Poll();

    QTimer m_timer;
    std::vector<Box> m_boxes;
};
