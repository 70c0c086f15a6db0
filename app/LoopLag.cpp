#include "app/LoopLag.h"

#include <algorithm>
#include <cmath>

namespace {

// Bucket edges: 500 of 0.1 ms up to 50 ms, 950 of 1 ms up to 1 s, 1190 of 100 ms up to 120 s,
// and one for anything later.
constexpr std::size_t kFine = 500;
constexpr std::size_t kMedium = 950;
constexpr std::size_t kCoarse = 1190;
constexpr std::size_t kBuckets = kFine + kMedium + kCoarse + 1;

}  // namespace

CLoopLag::CLoopLag(QObject* parent) : QObject(parent), m_buckets(kBuckets, 0)
{
    m_timer.setTimerType(Qt::PreciseTimer);
    m_timer.setInterval(kTick_ms);
    connect(&m_timer, &QTimer::timeout, this, &CLoopLag::OnTick);
}

void CLoopLag::Start()
{
    std::fill(m_buckets.begin(), m_buckets.end(), 0);
    m_shots = 0;
    m_worst_ms = 0;
    // The first shot is due one tick after the start: a loop held up at once counts too.
    m_last_ns = 0;
    m_clock.start();
    m_timer.start();
}

void CLoopLag::Stop()
{
    m_timer.stop();
    m_last_ns = -1;
}

void CLoopLag::OnTick()
{
    const qint64 now_ns = m_clock.nsecsElapsed();
    if (m_last_ns >= 0)
        AddShot(double(now_ns - m_last_ns) / 1e6 - kTick_ms);
    m_last_ns = now_ns;
}

void CLoopLag::AddShot(double late_ms)
{
    late_ms = std::max(0.0, late_ms);
    m_worst_ms = std::max(m_worst_ms, late_ms);
    // The shot itself and those due meanwhile, each as late as it would have been.
    double late = late_ms;
    do {
        ++m_buckets[BucketOf(late)];
        ++m_shots;
        late -= kTick_ms;
    } while (late > 0);
}

std::size_t CLoopLag::BucketOf(double late_ms)
{
    if (late_ms < 50)
        return std::size_t(late_ms * 10);
    if (late_ms < 1000)
        return kFine + std::size_t(late_ms - 50);
    if (late_ms < 120000)
        return kFine + kMedium + std::size_t((late_ms - 1000) / 100);
    return kBuckets - 1;
}

double CLoopLag::UpperEdge(std::size_t bucket)
{
    if (bucket < kFine)
        return double(bucket + 1) / 10;
    if (bucket < kFine + kMedium)
        return 50 + double(bucket - kFine + 1);
    if (bucket < kBuckets - 1)
        return 1000 + double(bucket - kFine - kMedium + 1) * 100;
    return HUGE_VAL;
}

double CLoopLag::Percentile(double fraction) const
{
    if (m_shots == 0)
        return 0;
    // The smallest bucket below whose upper edge at least `fraction` of the shots lie.
    const auto wanted = std::int64_t(std::ceil(fraction * double(m_shots)));
    std::int64_t seen = 0;
    for (std::size_t b = 0; b < m_buckets.size(); ++b) {
        seen += m_buckets[b];
        if (seen >= wanted)
            return std::min(UpperEdge(b), m_worst_ms);
    }
    return m_worst_ms;
}

CLoopLag::Figures CLoopLag::Read() const
{
    Figures f;
    f.worst_ms = m_worst_ms;
    f.p99_ms = Percentile(0.99);
    f.median_ms = Percentile(0.5);
    f.shots = m_shots;
    return f;
}
