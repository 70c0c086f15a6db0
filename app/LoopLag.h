// How late the GUI thread's event loop runs: a 5 ms precise timer notes how late each of its shots
// comes. A loop held up for L ms fires the timer once, L ms late; that shot also stands for the
// shots the held-up loop skipped (L - 5, L - 10, ... ms late), so that the percentiles weigh the
// time the loop was frozen and not only the one late shot.
//
// The figures are kept in a fixed table of buckets (0.1 ms wide up to 50 ms, 1 ms up to 1 s,
// 100 ms beyond), so a meter may run for as long as the program does in bounded memory; the
// worst lateness is exact, the percentiles are the upper edge of their bucket (never above the
// worst). GUI thread (the thread the meter lives on).
#pragma once

#include <QElapsedTimer>
#include <QObject>
#include <QTimer>

#include <cstdint>
#include <vector>

class CLoopLag : public QObject {
    Q_OBJECT
public:
    static constexpr int kTick_ms = 5;

    struct Figures {
        double worst_ms = 0;
        double p99_ms = 0;
        double median_ms = 0;
        std::int64_t shots = 0;  // counted shots, the skipped ones included
    };

    explicit CLoopLag(QObject* parent = nullptr);

    // Starts measuring (again, from nothing).
    void Start();
    // Stops the timer; the figures stay.
    void Stop();
    bool IsRunning() const { return m_timer.isActive(); }
    // The figures so far.
    Figures Read() const;

    // Notes one shot `late_ms` late and the shots it stands for (for tests).
    void AddShot(double late_ms);

private:
    void OnTick();
    static std::size_t BucketOf(double late_ms);
    static double UpperEdge(std::size_t bucket);
    double Percentile(double fraction) const;

    QTimer m_timer;
    QElapsedTimer m_clock;
    qint64 m_last_ns = -1;
    std::vector<std::int64_t> m_buckets;
    std::int64_t m_shots = 0;
    double m_worst_ms = 0;
};
