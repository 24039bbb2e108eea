#pragma once

#include <deque>
#include <functional>

#include <QFileDialog>
#include <QObject>
#include <QPointer>
#include <QStringList>
#include <QTimer>

// Acts on the real file dialogs that the code under test opens: each time a
// new modal QFileDialog appears, the next queued action runs on it from
// inside its modal loop, as a user at the keyboard would act.
class FileDialogDriver : public QObject {
public:
    using Action = std::function<void(QFileDialog*)>;

    FileDialogDriver();
    void Then(Action action) { m_actions.push_back(std::move(action)); }
    int dialogsSeen() const { return m_dialogsSeen; }

    // Actions: go to `folder`, type `names` into the name box (quoted when
    // more than one) and press Enter; or press Esc.
    static Action Choose(const QString& folder, const QStringList& names);
    static Action Cancel();

private:
    void Poll();

    QTimer m_timer;
    std::deque<Action> m_actions;
    // A QPointer: the next dialog may be built at the address of the last.
    QPointer<QFileDialog> m_current;
    int m_dialogsSeen = 0;
};
