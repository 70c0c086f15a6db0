#include "mainwindow/MainTabs.h"

namespace MainTabs {

Step CTabState::StepFor(Button button) const
{
    Step step;
    switch (button) {
    case PlaybackButton:
        step.askSave = m_page == SettingsPage;
        step.page = PlaybackPage;
        step.overlay = Overlay::ShowIfScanning;
        break;
    case ViewLogButton:
        step.askSave = m_page == SettingsPage;
        step.page = LogPage;
        step.overlay = Overlay::Hide;
        break;
    case ConfigButton:
        step.page = SettingsPage;
        step.overlay = Overlay::Hide;
        break;
    case AboutButton:
    default:
        step.openAbout = button == AboutButton;
        break;
    }
    return step;
}

void CTabState::Apply(const Step& step)
{
    if (step.page != NoPage)
        m_page = step.page;
}

std::array<bool, kButtonCount> CTabState::ChosenButtons() const
{
    std::array<bool, kButtonCount> chosen{};
    if (m_page >= PlaybackPage && m_page <= SettingsPage)
        chosen[m_page] = true;  // the page index is its button's index
    return chosen;
}

}  // namespace MainTabs
