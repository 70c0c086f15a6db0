#pragma once
// The sound state the volume button keeps: whether sound is on, the volume and the port whose
// sound it controls. Sound of the player layer is process-wide (one port sounds at a time).

#include <cstdint>

class CSoundControl {
public:
    CSoundControl() { Init(); }
    void Init();
    bool StopSound();
    void StopSoundIfOpen() { StopSound(); }
    bool OpenSound(int port);
    void SetVolume(std::uint16_t volume);
    std::uint16_t GetVolume() const { return m_volume; }
    bool IsPlaying() const { return m_playing; }
    int GetPort() const { return m_port; }
    std::uint32_t GetLastError() const { return m_lastError; }

private:
    bool m_playing = false;
    std::uint16_t m_volume = 32767;
    int m_port = -1;
    std::uint32_t m_lastError = 0;
};
