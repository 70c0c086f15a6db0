// Shots of the play window: an idle cell ("CPlaybackWnd") and a cell bound to a channel with its
// tool bar shown and its tools enabled ("CPlaybackWnd-bar"). Live, a person can hover the cell
// to show the bar and open the context menu with the right button.
#include "tools/varpen-gallery/Gallery.h"

#include <QLabel>
#include <QVBoxLayout>
#include <QWidget>

#include <memory>

#include "engine/PlayBackInteraction.h"
#include "playback/PlaybackWnd.h"

namespace {

// A cell alone in a frame that owns its host and one engine without recordings.
class CellShot : public QWidget, public CPlaybackWndHost {
public:
    explicit CellShot(bool bound)
    {
        auto* layout = new QVBoxLayout(this);
        layout->setContentsMargins(0, 0, 0, 0);
        m_cell = new CPlaybackWnd(this, this);
        layout->addWidget(m_cell);
        m_cell->SetFrameName(QStringLiteral("PlayWnd0"));
        m_cell->SetWndIndex(0);
        if (bound) {
            m_cell->SetChannelInfo(Varpen::CChannel(0, QStringLiteral("Camera 01")));
            m_cell->SetSelected(true);
            m_cell->OnPlaybackRemoteEvent(PlayWndEvent::ClipStarted);  // a clip running: the record tool shows it
            m_cell->SetBarVisible(true);
        }
        resize(400, 300);
    }
    ~CellShot() override { delete m_cell; }

    CPlayBackInteraction* Player(int cellIndex) const override { return cellIndex == 0 ? m_engine.get() : nullptr; }

    void EnableTools()
    {
        // The playing look without a running poll: the shot has no recordings to play.
        m_cell->OnPlaybackRemoteEvent(PlayWndEvent::Playing);
        m_cell->OnPlaybackRemoteEvent(PlayWndEvent::ClipStarted);
        m_cell->TimeLabel()->setText(QStringLiteral("2024-01-30 08:15:42"));
    }

private:
    std::unique_ptr<CPlayBackInteraction> m_engine = std::make_unique<CPlayBackInteraction>();
    CPlaybackWnd* m_cell = nullptr;
};

const Gallery::Register kPlayWndShots{
    {QStringLiteral("CPlaybackWnd"), [] { return static_cast<QWidget*>(new CellShot(false)); }},
    {QStringLiteral("CPlaybackWnd-bar"),
     [] {
         auto* shot = new CellShot(true);
         shot->EnableTools();
         return static_cast<QWidget*>(shot);
     }},
};

}  // namespace
