#include "platform/vrend/AudioOut.h"

#include "platform/vrend/Logging.h"

#include <QAudioDevice>
#include <QAudioFormat>
#include <QAudioSink>
#include <QCoreApplication>
#include <QIODevice>
#include <QMediaDevices>
#include <QMetaObject>
#include <QThread>

#include <cstdio>
#include <cstring>
#include <deque>
#include <mutex>

namespace vrend {
namespace {

// Pull-mode source of the audio sink: a bounded byte ring, silence when empty.
class PcmRing : public QIODevice {
public:
    explicit PcmRing(std::size_t capacity_bytes) : capacity_bytes_(capacity_bytes) { open(QIODevice::ReadOnly); }
    void Push(const char* data, std::size_t size)
    {
        std::lock_guard lock(mutex_);
        for (std::size_t i = 0; i < size; ++i)
            bytes_.push_back(data[i]);
        while (bytes_.size() > capacity_bytes_)
            bytes_.pop_front();
    }
    void Clear()
    {
        std::lock_guard lock(mutex_);
        bytes_.clear();
    }
    bool isSequential() const override { return true; }
    qint64 bytesAvailable() const override { return 4096 + QIODevice::bytesAvailable(); }

protected:
    qint64 readData(char* data, qint64 max_size) override
    {
        std::lock_guard lock(mutex_);
        qint64 n = 0;
        while (n < max_size && !bytes_.empty()) {
            data[n++] = bytes_.front();
            bytes_.pop_front();
        }
        // Keep the device running: fill the rest with silence, whole frames only.
        qint64 want = max_size - (max_size % 4);
        if (n < want) {
            std::memset(data + n, 0, static_cast<std::size_t>(want - n));
            n = want;
        }
        return n;
    }
    qint64 writeData(const char*, qint64) override { return -1; }

private:
    std::mutex mutex_;
    std::deque<char> bytes_;
    std::size_t capacity_bytes_;
};

// The audio device sink: a QAudioSink living on its own thread.
class DeviceSink : public AudioSink {
public:
    DeviceSink() : ring_(new PcmRing(kAudioRate * kAudioChannels * 2 / 2))
    {  // 500 ms
        if (!QCoreApplication::instance()) {
            missing_ = true;
            return;
        }
        const QAudioDevice device = QMediaDevices::defaultAudioOutput();
        if (device.isNull()) {
            missing_ = true;
            qCDebug(lcVrend, "vrend: no audio output device, sound is discarded");
            return;
        }
        QAudioFormat format;
        format.setSampleRate(kAudioRate);
        format.setChannelCount(kAudioChannels);
        format.setSampleFormat(QAudioFormat::Int16);
        thread_.start();
        ring_->moveToThread(&thread_);
        QMetaObject::invokeMethod(
            ring_.get(),
            [this, device, format] {
                sink_ = std::make_unique<QAudioSink>(device, format);
                sink_->start(ring_.get());
            },
            Qt::BlockingQueuedConnection);
    }
    ~DeviceSink() override
    {
        if (thread_.isRunning() && !QCoreApplication::instance()) {
            // At process exit, after the application object: no more queued calls. The sink is
            // left to the operating system.
            (void)sink_.release();
            (void)ring_.release();
            thread_.quit();
            thread_.wait();
            return;
        }
        if (thread_.isRunning()) {
            QMetaObject::invokeMethod(
                ring_.get(), [this] { sink_.reset(); }, Qt::BlockingQueuedConnection);
            thread_.quit();
            thread_.wait();
        }
    }
    void Write(const std::int16_t* pcm, std::size_t frame_count) override
    {
        if (missing_)
            return;
        ring_->Push(reinterpret_cast<const char*>(pcm), frame_count * kAudioChannels * 2);
    }
    void Flush() override { ring_->Clear(); }
    bool missing() const { return missing_; }

private:
    QThread thread_;
    std::unique_ptr<PcmRing> ring_;
    std::unique_ptr<QAudioSink> sink_;
    bool missing_ = false;
};

std::mutex g_sink_mutex;
std::shared_ptr<AudioSink> g_override;
std::shared_ptr<DeviceSink> g_device;

}  // namespace

std::shared_ptr<AudioSink> CurrentAudioSink()
{
    std::lock_guard lock(g_sink_mutex);
    if (g_override)
        return g_override;
    if (!g_device)
        g_device = std::make_shared<DeviceSink>();
    return g_device;
}

void SetAudioSinkOverride(std::shared_ptr<AudioSink> sink)
{
    std::lock_guard lock(g_sink_mutex);
    g_override = std::move(sink);
}

bool AudioDeviceMissing()
{
    std::lock_guard lock(g_sink_mutex);
    return !g_override && g_device && g_device->missing();
}

}  // namespace vrend
