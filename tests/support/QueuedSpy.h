// Records a signal that a worker thread emits, on the test's own thread: every emission is
// queued into it, so the test shares nothing with the worker, and an emission that comes before
// the test begins to wait is kept for it, not missed.
#pragma once

#include <QCoreApplication>
#include <QObject>
#include <QTest>

#include <tuple>
#include <type_traits>
#include <vector>

template <typename... Args>
class QueuedSpy {
public:
    using Call = std::tuple<std::decay_t<Args>...>;

    // Connect before the worker starts.
    template <typename Sender>
    QueuedSpy(const Sender* sender, void (Sender::*signal)(Args...))
    {
        QObject::connect(
            sender, signal, &m_receiver, [this](Args... args) { m_calls.emplace_back(std::decay_t<Args>(args)...); },
            Qt::QueuedConnection);
    }
    QueuedSpy(const QueuedSpy&) = delete;
    QueuedSpy& operator=(const QueuedSpy&) = delete;

    // The emissions delivered so far.
    int Count() const { return int(m_calls.size()); }
    const Call& At(int i) const { return m_calls.at(size_t(i)); }
    const std::vector<Call>& Calls() const { return m_calls; }

    // Delivers what is queued until `count` emissions have come; false when they have not come
    // within `timeout_ms` (a bound for a stuck worker, not a measure).
    bool WaitFor(int count, int timeout_ms = 60000)
    {
        return QTest::qWaitFor([&] { return Count() >= count; }, timeout_ms);
    }

    // Delivers every emission queued so far: after the worker has been joined, all it sent.
    void Flush() { QCoreApplication::sendPostedEvents(&m_receiver); }

private:
    QObject m_receiver;  // lives in the test's thread
    std::vector<Call> m_calls;
};

template <typename Sender, typename... Args>
QueuedSpy(const Sender*, void (Sender::*)(Args...)) -> QueuedSpy<Args...>;
