// Keeps the worker threads that were told to stop but have not ended yet, so that the GUI never
// waits for one: a timer looks at them every kCheck_ms while any is kept, and each that has ended
// is joined (which then returns at once) and deleted; the reaper's destructor (or JoinAll) joins
// whatever is still left. A thread must be told to stop, and cut off from whoever listened to it,
// before it is handed over.
//
// GUI thread (the thread the reaper lives on) only.
#pragma once

#include <QObject>
#include <QThread>
#include <QTimer>

#include <memory>
#include <vector>

class CThreadReaper : public QObject {
    Q_OBJECT

public:
    explicit CThreadReaper(QObject* parent = nullptr);
    // Joins and deletes every thread still kept.
    ~CThreadReaper() override;

    // Takes a thread that was told to stop. One that has ended is deleted at once.
    void Retire(std::unique_ptr<QThread> thread);
    // Joins and deletes every thread kept (shutdown: each was told to stop when it came here).
    void JoinAll();
    // The threads kept, not ended yet or not deleted yet.
    int Count() const { return int(m_threads.size()); }

signals:
    // A retired thread was joined and deleted (tests).
    void Reaped();

private:
    static constexpr int kCheck_ms = 50;
    // Joins and deletes the threads that have ended.
    void ReapEnded();
    void Join(std::unique_ptr<QThread> thread);

    std::vector<std::unique_ptr<QThread>> m_threads;
    QTimer m_check;
};
