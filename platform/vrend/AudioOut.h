// Sound output of the player layer: one sink for the process, fed 48 kHz stereo S16 PCM.
#pragma once

#include <atomic>
#include <cstddef>
#include <cstdint>
#include <memory>

namespace vrend {

constexpr int kAudioRate = 48000;
constexpr int kAudioChannels = 2;

class AudioSink {
public:
    virtual ~AudioSink() = default;
    // Interleaved S16 frames at kAudioRate, kAudioChannels.
    virtual void Write(const std::int16_t* pcm, std::size_t frame_count) = 0;
    // Drops what is queued (pause, seek, speed change, another port sounds).
    virtual void Flush() = 0;
};

// The process's sink: the test's replacement when set, else the audio device sink (created on
// first use). A machine without an audio device gets a sink that discards.
std::shared_ptr<AudioSink> CurrentAudioSink();
void SetAudioSinkOverride(std::shared_ptr<AudioSink> sink);
// True when the device sink found no audio output (sound is discarded).
bool AudioDeviceMissing();

}  // namespace vrend
