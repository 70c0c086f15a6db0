#include "playback/PlaybackWindowGrid.h"

#include "app/gui/CommonUtilGui.h"

#include "playback/PlaybackWnd.h"
#include "widgets/CVolumeButton.h"

#include <QIcon>

CPlaybackWindowGrid::CPlaybackWindowGrid() : splitLayout(std::make_unique<CWndSplitLayout>()) {}

CPlaybackWindowGrid::~CPlaybackWindowGrid() = default;

CPlaybackWnd* CPlaybackWindowGrid::CurrentWindowPtr() const
{
    if (m_currentWindow < 0 || m_currentWindow >= int(windows.size()))
        return nullptr;
    return windows[size_t(m_currentWindow)];
}

bool CPlaybackWindowGrid::MoveCurrentWindow(int window)
{
    if (window < 0 || window >= kWindowCount || window >= int(windows.size()) || window == m_currentWindow)
        return false;
    if (CPlaybackWnd* old = CurrentWindowPtr())
        old->SetSelected(false);
    m_currentWindow = window;
    windows[size_t(window)]->SetSelected(true);
    return true;
}

void CPlaybackWindowGrid::EnableVolume(int window, bool enabled)
{
    if (window == m_currentWindow && volumeButton)
        volumeButton->setEnabled(enabled);
}

void CPlaybackWindowGrid::UpdateVolumeIcon(int window, bool opened)
{
    if (window != m_currentWindow || !volumeButton)
        return;
    volumeButton->SetVoiceOpened(opened);
    volumeButton->setIcon(CCommonUtil::LoadIcon(opened ? QStringLiteral(":/images/public/Volume/BigOpenSound.png")
                                                       : QStringLiteral(":/images/public/Volume/BigCloseSound.png")));
}

void CPlaybackWindowGrid::ToggleSingleWindow(CPlaybackWnd* cell)
{
    if (!splitLayout || !cell)
        return;
    if (splitLayout->IsSingleWnd())
        splitLayout->RestoreLayout();
    else
        splitLayout->ShowSingleWnd(cell);
}
