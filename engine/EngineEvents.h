// The engine's own event classes (type 1000 unless the sender gives another). They are
// registered as meta-types so that they can travel in queued signals.
#pragma once

#include "engine/Records.h"
#include "engine/RoleDataList.h"

#include <QEvent>
#include <QMetaType>

class CPlayBackInteraction;

namespace Varpen {

constexpr int kEngineEventType = QEvent::User;  // 1000

class CCustomEvent : public QEvent {
public:
    CCustomEvent();
    explicit CCustomEvent(int type);
    CCustomEvent(const CCustomEvent& other);
    ~CCustomEvent() override;

    void SetParam(const QVariant& value, int key) { m_params.SetData(value, key); }
    QVariant GetParam(int key) const { return m_params.Data(key); }

private:
    CRoleDataList m_params;
};

class CPlaybackRemoteEvent : public QEvent {
public:
    CPlaybackRemoteEvent();
    // The channel of the playback object that raised it, and one value.
    CPlaybackRemoteEvent(const CPlayBackInteraction* playback, int value);
    CPlaybackRemoteEvent(const CChannel& channel, int value);
    CPlaybackRemoteEvent(const CPlaybackRemoteEvent& other);
    ~CPlaybackRemoteEvent() override;

    const CChannel& GetChannel() const { return m_channel; }
    int GetValue() const { return m_value; }

private:
    int m_word0 = -1;
    int m_word1 = -1;
    CChannel m_channel;
    int m_word2 = -1;
    int m_word3 = -1;
    int m_value = -1;
};

}  // namespace Varpen

Q_DECLARE_METATYPE(Varpen::CCustomEvent*)
Q_DECLARE_METATYPE(Varpen::CPlaybackRemoteEvent*)
