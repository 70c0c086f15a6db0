// The main window's tab rules, free of widgets: which page a tab button shows, when the settings
// page's save question comes first, which button looks chosen, what happens to the playback
// page's wait overlay, and what a close asks.
#pragma once

#include <array>

namespace MainTabs {

enum Button { PlaybackButton = 0, ViewLogButton = 1, ConfigButton = 2, AboutButton = 3, kButtonCount = 4 };
enum Page { NoPage = -1, PlaybackPage = 0, LogPage = 1, SettingsPage = 2 };

// What becomes of the playback page's wait overlay (shown during a disk scan) on a switch.
enum class Overlay {
    Unchanged,
    Hide,
    ShowIfScanning  // shown again while the disk scan still runs, else left alone
};

// What pressing a tab button does, in order: the save question (when leaving the settings
// page for another page), then the page switch, the overlay and, for "About", the about box.
struct Step {
    bool askSave = false;
    Page page = NoPage;  // the page shown afterwards; NoPage: the shown page stays
    bool openAbout = false;
    Overlay overlay = Overlay::Unchanged;
};

// The window's tab state: the page shown and the look of the four buttons.
class CTabState {
public:
    // The page shown; NoPage before the first switch.
    Page CurrentPage() const { return m_page; }

    // What `button` does from the current page. Does not change the state.
    Step StepFor(Button button) const;
    // Carries `step` out on the state (the shown page).
    void Apply(const Step& step);

    // The look of each button for the shown page: only the button of the shown page looks
    // chosen; "About" never does.
    std::array<bool, kButtonCount> ChosenButtons() const;

    // A close asks the save question first when the settings page is shown.
    bool CloseAsksSave() const { return m_page == SettingsPage; }

private:
    Page m_page = NoPage;
};

}  // namespace MainTabs
