#include "engine/EngineEvents.h"

#include "engine/PlayBackInteraction.h"

namespace Varpen {

static void RegisterEngineEvents()
{
    static const bool once = [] {
        qRegisterMetaType<CCustomEvent*>("CCustomEvent*");
        qRegisterMetaType<CPlaybackRemoteEvent*>("CPlaybackRemoteEvent*");
        return true;
    }();
    (void)once;
}

CCustomEvent::CCustomEvent() : CCustomEvent(kEngineEventType) {}

CCustomEvent::CCustomEvent(int type) : QEvent(static_cast<QEvent::Type>(type))
{
    RegisterEngineEvents();
}

CCustomEvent::CCustomEvent(const CCustomEvent& other) : QEvent(other), m_params(other.m_params) {}

CCustomEvent::~CCustomEvent() = default;

CPlaybackRemoteEvent::CPlaybackRemoteEvent() : QEvent(static_cast<QEvent::Type>(kEngineEventType))
{
    RegisterEngineEvents();
}

CPlaybackRemoteEvent::CPlaybackRemoteEvent(const CChannel& channel, int value)
    : QEvent(static_cast<QEvent::Type>(kEngineEventType)), m_channel(channel), m_value(value)
{
    RegisterEngineEvents();
}

CPlaybackRemoteEvent::CPlaybackRemoteEvent(const CPlayBackInteraction* playback, int value)
    : CPlaybackRemoteEvent(playback ? playback->GetChannel() : CChannel(), value)
{
}

CPlaybackRemoteEvent::CPlaybackRemoteEvent(const CPlaybackRemoteEvent& other) = default;

CPlaybackRemoteEvent::~CPlaybackRemoteEvent() = default;

}  // namespace Varpen
