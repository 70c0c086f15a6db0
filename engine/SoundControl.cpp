#include "engine/SoundControl.h"

#include "platform/vrend/vrend.h"

void CSoundControl::Init()
{
    m_playing = false;
    m_volume = 32767;
    m_port = -1;
}

bool CSoundControl::StopSound()
{
    const bool ok = VRend_StopSound();
    m_playing = false;
    m_port = -1;
    return ok;
}

bool CSoundControl::OpenSound(int port)
{
    StopSound();
    if (!VRend_PlaySound(port)) {
        m_lastError = VRend_GetLastError(port);
        return false;
    }
    m_playing = true;
    VRend_SetVolume(port, m_volume);
    m_port = port;
    return true;
}

void CSoundControl::SetVolume(std::uint16_t volume)
{
    m_volume = volume;
    VRend_SetVolume(m_port, volume);
}
