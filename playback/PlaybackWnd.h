// One cell of the playback page's window grid: title, on-screen time, speed, the video surface,
// the hover tool bar (snapshot, clip, digital zoom, sound) and a context menu. The cell owns no
// engine: it asks its host (the page) for the engine bound to its index, and turns operator
// actions into engine calls; every 300 ms it polls the engine for errors, the end of the
// recordings and the shown time.
#pragma once

#include <QPointF>
#include <QPointer>
#include <QString>

#include <memory>
#include <optional>

#include "engine/Records.h"
#include "playback/PlaybackWndLogic.h"
#include "playback/PlayWndEvent.h"
#include "playback/PlayerFrame.h"

class CPlayBackInteraction;
class CPlaybackDownLoad;
class CPlaybackWnd;
class QAction;
class QLabel;
class QMenu;
class QTimer;
class QToolButton;
namespace Varpen {
class SynPlaybackInteraction;
}

// What a cell needs of the page. The defaults serve a cell on its own (tests, the gallery).
class CPlaybackWndHost {
public:
    virtual ~CPlaybackWndHost() = default;
    virtual CPlayBackInteraction* Player(int cellIndex) const = 0;
    // The cell's download dialog, null until the download action first opened it.
    virtual CPlaybackDownLoad* DownloadDialog(int /*cellIndex*/) const { return nullptr; }
    // Engines of the bound cells, in ascending cell index.
    virtual QList<QPair<int, CPlayBackInteraction*>> Players() const { return {}; }
    // The running synchronous controller, or null.
    virtual Varpen::SynPlaybackInteraction* Sync() const { return nullptr; }
    virtual QList<CPlaybackWnd*> Windows() const { return {}; }
    virtual int CurrentWindow() const { return -1; }
    virtual void SetCurrentWindow(int /*cellIndex*/) {}
    virtual void UpdateVolumeIcon(int /*cellIndex*/, bool /*opened*/) {}
    virtual void EnableVolume(int /*cellIndex*/, bool /*enabled*/) {}
    virtual void ClearSegments(int /*cellIndex*/) {}
    virtual bool FitAll() const { return false; }
    virtual bool IsFullScreen() const { return false; }
    virtual void ToggleFullScreen() {}
    // Double click: one window alone, or back to the grid. False when the page has no grid.
    virtual bool IsSingleWindowShown() const { return false; }
    virtual void ToggleSingleWindow(CPlaybackWnd* /*cell*/) {}
};

class CZoomOverlay;

class CPlaybackWnd : public CPlayerFrame {
    Q_OBJECT

public:
    using VoiceCallback = void (*)(bool opened, void* user);

    explicit CPlaybackWnd(CPlaybackWndHost* host, QWidget* parent = nullptr);
    ~CPlaybackWnd() override;

    void SetWndIndex(int index);
    int WndIndex() const { return m_cellIndex; }
    void SetWndParam(VoiceCallback callback, void* user);
    void SetAdaptType(int type);
    void SetChannelInfo(const Varpen::CChannel& channel);
    void ResetPlayWnd();
    void UpdateTitle();
    CPlayBackInteraction* GetPlayer() const;
    bool IsClipFlag() const { return m_clipFlag; }
    bool IsZoomOn() const { return m_zoomOn; }
    // The zoom rectangle being dragged, as fractions of the surface; none when there is none.
    std::optional<QRectF> ZoomRect() const { return m_zoomRect; }
    // Ends a running clip without a free-space check or a change of the current window (the
    // page's stop and seek). True when a clip was running.
    bool StopClip();
    // The page starts or seeks the cell: what the poll said of the last playback (no video, the
    // end) is said again should it recur. Not on the cell's state events: a cell whose poll said
    // a failure while a start for all was still positioning the others says it once.
    void ForgetNotices() { m_latch = {}; }
    // The engine's changed hook re-posts to this cell (set again whenever the cell acts on it).
    void ListenTo(CPlayBackInteraction* player);

    // Built apart from running it, so that a test can look at it.
    QMenu* BuildContextMenu();

    QLabel* TitleLabel() const { return m_pTitlelabel; }
    QLabel* TimeLabel() const { return m_pTimeLabel; }
    QLabel* SpeedLabel() const { return m_pSpeedLabel; }
    QToolButton* SnapshotButton() const { return m_pSnapshotBtn; }
    QToolButton* RecordButton() const { return m_pRecordBtn; }
    QToolButton* ZoomButton() const { return m_pZoomBtn; }
    QToolButton* SoundButton() const { return m_pSoundBtn; }
    QAction* ZoomAction() const { return m_pZoomAct; }
    QAction* DownloadAction() const { return m_pDownloadAct; }
    QAction* SnapshotAction() const { return m_pSnapshotAct; }
    QAction* RecordAction() const { return m_pRecordAct; }
    QAction* SoundAction() const { return m_pSoundAct; }
    QAction* FullScreenAction() const { return m_pFullScreenAct; }
    bool IsPollRunning() const;
    // The named form of the slot `OnPlaybackRemoteEvent(int)`.
    void OnPlaybackRemoteEvent(PlayWndEvent event) { OnPlaybackRemoteEvent(int(event)); }
    // How the slot `OnAdaptWindow(int)` fits the picture: over the whole cell, or letterboxed to
    // its own aspect ratio.
    enum class Fit : int { Fill = 0, KeepAspect = 1 };
    void OnAdaptWindow(Fit fit) { OnAdaptWindow(int(fit)); }

public slots:
    void OnSelectedThis();
    bool OnPlay();
    void OnPause();
    void OnStop();
    void OnCtrlSpeed(int level);
    void OnRecord();
    void OnSingleFrame();
    void OnSingleFrameBack();
    void OnDigitalZoom();
    void OnUpdateOSDTime();
    // The engine's changed hook, re-posted to this thread: the outcomes of snapshots and clips are
    // said, and a running poll looks at the new state at once.
    void OnEngineChanged();
    void OnDownLoad();
    void OnSetDownState() {}
    void OnSnapshot();
    void OnOpenVoice();
    void OnRightMouseResponse(const QPoint& pos);
    void OnPlaybackRemoteEvent(int iState);
    void UnPauseState();
    void OnAdaptWindow(int iType);
    bool isPlayBack();

signals:
    void SignalSelected(int cellIndex);
    void SignalSearchSelected(int cellIndex);
    void SignalPlay();
    // The download action: the page (or the download dialog) opens the cell's download dialog
    // with this title.
    void SignalDownLoad(int cellIndex, const QString& title);

protected:
    bool eventFilter(QObject* watched, QEvent* event) override;
    void mousePressEvent(QMouseEvent* event) override;
    void mouseDoubleClickEvent(QMouseEvent* event) override;
    void resizeEvent(QResizeEvent* event) override;
    void dragEnterEvent(QDragEnterEvent* event) override;
    void dragMoveEvent(QDragMoveEvent* event) override;
    void dropEvent(QDropEvent* event) override;
    void OnMouseEnter() override;
    void OnMouseLeave() override;
    void OnBarMade(CPlayWndBottom* bar) override;

private:
    void ShowNotice(const QString& text, bool isLink = false);
    void ShowSpeedLabel();
    void ResetSoundIcon();
    void SetPlayingState();
    void SetStoppedState();
    void ExitDigitalZoom();
    void FitVideoRect(int width, int height);
    void SetRecordLook(bool recording);
    void SetSoundLook(bool opened);
    void SetZoomCursor();
    void EndClipWithNotice();
    QString FullTitle() const;
    // Shows `title` in the title label, elided to the label's room (again after each resize).
    void ShowTitle(const QString& title);
    void ElideTitle();
    int TimeRoomWidth() const;

    CPlaybackWndHost* m_host;
    VoiceCallback m_voiceCallback = nullptr;
    void* m_voiceUser = nullptr;
    QToolButton* m_pSnapshotBtn = nullptr;
    QToolButton* m_pRecordBtn = nullptr;
    QToolButton* m_pZoomBtn = nullptr;
    QToolButton* m_pSoundBtn = nullptr;
    QString m_titlePrefix;
    QString m_titleText;  // the whole title; the label shows as much of it as fits
    QString m_channelName;
    QString m_channelText = QStringLiteral("-1");
    QAction* m_pZoomAct = nullptr;
    QAction* m_pDownloadAct = nullptr;
    QAction* m_pSnapshotAct = nullptr;
    QAction* m_pRecordAct = nullptr;
    QAction* m_pSoundAct = nullptr;
    QAction* m_pFullScreenAct = nullptr;
    QLabel* m_pTitlelabel = nullptr;
    QLabel* m_pTimeLabel = nullptr;
    QLabel* m_pSpeedLabel = nullptr;
    CZoomOverlay* m_pOverlay = nullptr;
    int m_cellIndex = 0;
    std::optional<QRectF> m_zoomRect;
    bool m_pressed = false;
    bool m_mouseInSurface = false;
    bool m_mouseInCell = false;
    QPointF m_pressPoint;
    bool m_fitFlag = false;
    bool m_clipFlag = false;
    int m_quietClipStops = 0;  // clip stops whose outcome the poll has said already
    // Where the engines' changed hooks post to (from their threads); emptied when the cell goes.
    struct EngineMailbox;
    std::shared_ptr<EngineMailbox> m_mailbox;
    bool m_zoomOn = false;
    PlayWnd::PollLatch m_latch;
    QTimer* m_pOsdTimer = nullptr;
};
