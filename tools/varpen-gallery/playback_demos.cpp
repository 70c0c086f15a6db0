// Live demos of the play area on real recordings: the play windows with the playback page's
// shared data as their host, a channel tree to drag channels from, and the page's play controls.
//   "Demo-SplitModes": the 16 windows laid out by each of the 21 split modes in turn, window 1
//   playing the sample's first channel.
//   "Demo-PlayWindow": four windows in a 2x2 grid, window 1 playing; everything of a play window
//   (play, pause, speed, frame steps, sound and volume, digital zoom, snapshot, clip, download,
//   a channel dropped onto a window, double click for one window alone, full screen).
// The recordings come from --sample DIR or are written at start with varpen-sample into a
// temporary folder; snapshots, clips and downloads go to --out DIR or a temporary folder.
#include "tools/varpen-gallery/Gallery.h"

#include "app/SettingsManager.h"
#include "engine/PlayBackInteraction.h"
#include "playback/PlayBackWidgetPrivate.h"
#include "playback/PlaybackDownLoad.h"
#include "playback/PlaybackWnd.h"
#include "playback/PlaybackWndLogic.h"
#include "playback/WndSplitLayout.h"
#include "widgets/CGroupTreeView.h"
#include "widgets/CVolumeButton.h"

#include <QApplication>
#include <QCheckBox>
#include <QComboBox>
#include <QDir>
#include <QFile>
#include <QHBoxLayout>
#include <QHeaderView>
#include <QJsonArray>
#include <QJsonDocument>
#include <QJsonObject>
#include <QLabel>
#include <QMutexLocker>
#include <QPointer>
#include <QProcess>
#include <QPushButton>
#include <QStandardItemModel>
#include <QTemporaryDir>
#include <QTimer>
#include <QVBoxLayout>

#include <algorithm>
#include <functional>
#include <map>
#include <memory>
#include <vector>

namespace {

constexpr int kChannelRole = Qt::UserRole + 1;
constexpr int kStatus_ms = 500;

// A recording folder written by varpen-sample, read through its manifest.
struct SampleInfo {
    QString dir;
    QString group;
    QList<int> channels;  // channel numbers as the engine takes them
    time_t begin = 0;
    time_t end = 0;
    QString error;  // empty when the folder can be played
};

SampleInfo ReadManifest(const QString& dir)
{
    SampleInfo info;
    info.dir = dir;
    QFile file(dir + QStringLiteral("/manifest.json"));
    if (!file.open(QIODevice::ReadOnly)) {
        info.error = QStringLiteral("%1 has no manifest.json: not a folder written by varpen-sample").arg(dir);
        return info;
    }
    const QJsonObject manifest = QJsonDocument::fromJson(file.readAll()).object();
    for (const QJsonValue& v : manifest.value(QStringLiteral("channels")).toArray()) {
        const QJsonObject channel = v.toObject();
        info.group = channel.value(QStringLiteral("group")).toString();
        info.channels << channel.value(QStringLiteral("number")).toInt();
    }
    for (const QJsonValue& v : manifest.value(QStringLiteral("files")).toArray()) {
        const time_t start = time_t(v.toObject().value(QStringLiteral("start")).toInteger());
        const time_t end = time_t(v.toObject().value(QStringLiteral("end")).toInteger());
        info.begin = info.begin == 0 ? start : std::min(info.begin, start);
        info.end = std::max(info.end, end);
    }
    if (info.channels.isEmpty() || info.end <= info.begin)
        info.error = QStringLiteral("%1 lists no channels or no recordings").arg(dir);
    return info;
}

// The one sample of the process: the folder given on the command line, or one varpen-sample
// writes the first time a demo asks (four channels with sound, three 40 s recordings each).
class SampleMaker {
public:
    static SampleMaker& Instance()
    {
        static SampleMaker maker;
        return maker;
    }

    // Calls `ready` on the GUI thread once the folder is there (at once when it already is),
    // unless `receiver` is gone by then.
    void WhenReady(QObject* receiver, std::function<void(const SampleInfo&)> ready)
    {
        m_waiting.push_back({QPointer<QObject>(receiver), std::move(ready)});
        if (m_done) {
            Deliver();
            return;
        }
        if (m_process)
            return;
        if (!Gallery::Demos().sampleDir.isEmpty()) {
            Finish(ReadManifest(Gallery::Demos().sampleDir));
            return;
        }
        m_temp = std::make_unique<QTemporaryDir>();
        const QString dir = m_temp->filePath(QStringLiteral("sample"));
        m_process = new QProcess(qApp);  // ends with the application
        m_process->setProcessChannelMode(QProcess::ForwardedErrorChannel);
        QObject::connect(m_process, &QProcess::finished, m_process, [this, dir](int code, QProcess::ExitStatus status) {
            SampleInfo info = ReadManifest(dir);
            if (status != QProcess::NormalExit || code != 0)
                info.error = QStringLiteral("varpen-sample failed (exit code %1)").arg(code);
            Finish(info);
        });
        QObject::connect(m_process, &QProcess::errorOccurred, m_process, [this](QProcess::ProcessError error) {
            if (error != QProcess::FailedToStart)
                return;
            SampleInfo info;
            info.error = QStringLiteral("cannot run %1").arg(m_process->program());
            Finish(info);
        });
        m_process->start(QCoreApplication::applicationDirPath() + QStringLiteral("/varpen-sample"),
                         {QStringLiteral("folder"), dir, QStringLiteral("--channels"), QStringLiteral("4"),
                          QStringLiteral("--days"), QStringLiteral("1"), QStringLiteral("--segments-per-day"),
                          QStringLiteral("3"), QStringLiteral("--segment-length"), QStringLiteral("40"),
                          QStringLiteral("--gap"), QStringLiteral("5"), QStringLiteral("--audio"),
                          QStringLiteral("--jobs"), QStringLiteral("2")});
    }

    // Where snapshots, clips and downloads go; the settings store points there.
    QString OutputDir()
    {
        if (m_output.isEmpty()) {
            if (!Gallery::Demos().outputDir.isEmpty()) {
                m_output = Gallery::Demos().outputDir;
            } else {
                m_outputTemp = std::make_unique<QTemporaryDir>();
                m_output = m_outputTemp->filePath(QStringLiteral("output"));
            }
            QDir().mkpath(m_output);
            const QString folder = m_output + QLatin1Char('/');
            CSettingsManager::Instance()->SaveSettings({{QStringLiteral("CaptureSaveType"), QStringLiteral("0")},
                                                        {QStringLiteral("CaptureSavePath"), folder},
                                                        {QStringLiteral("ClipPackageSize"), QStringLiteral("0")},
                                                        {QStringLiteral("ClipSavePath"), folder},
                                                        {QStringLiteral("DownloadPackageSize"), QStringLiteral("0")},
                                                        {QStringLiteral("DownloadSavePath"), folder}},
                                                       QString::fromLocal8Bit(qgetenv("VARPEN_CONFIG_DIR")) +
                                                           QStringLiteral("Settings.xml"));
        }
        return m_output;
    }

private:
    void Finish(const SampleInfo& info)
    {
        m_info = info;
        m_done = true;
        Deliver();
    }
    void Deliver()
    {
        auto waiting = std::move(m_waiting);
        m_waiting.clear();
        for (auto& [receiver, ready] : waiting) {
            if (receiver)
                ready(m_info);
        }
    }

    std::unique_ptr<QTemporaryDir> m_temp;
    std::unique_ptr<QTemporaryDir> m_outputTemp;
    QString m_output;
    QProcess* m_process = nullptr;
    SampleInfo m_info;
    bool m_done = false;
    std::vector<std::pair<QPointer<QObject>, std::function<void(const SampleInfo&)>>> m_waiting;
};

// The page's shared data, with the full-screen switch of the demo's own window.
class DemoHost : public CPlayBackWidgetPrivate {
public:
    using CPlayBackWidgetPrivate::CPlayBackWidgetPrivate;
    bool IsFullScreen() const override { return page->window()->isFullScreen(); }
    void ToggleFullScreen() override
    {
        QWidget* top = page->window();
        if (top->isFullScreen())
            top->showNormal();
        else
            top->showFullScreen();
    }
};

QPushButton* Button(const QString& text, const QString& tip, QWidget* parent)
{
    auto* b = new QPushButton(text, parent);
    b->setToolTip(tip);
    b->setFocusPolicy(Qt::NoFocus);
    return b;
}

class PlaybackDemo : public QWidget {
public:
    enum Kind { kSplitModes, kPlayWindow };

    explicit PlaybackDemo(Kind kind) : m_kind(kind), m_host(std::make_unique<DemoHost>(this))
    {
        auto* layout = new QVBoxLayout(this);
        auto* help = new QLabel(this);
        help->setWordWrap(true);
        help->setText(
            kind == kSplitModes
                ? QStringLiteral("Window 1 plays the sample's first channel. \"Previous\" and \"Next\" (or the list) "
                                 "lay the 16 windows out by each of the 21 split modes. Drag a channel from the tree "
                                 "onto any window to play it there.")
                : QStringLiteral("Window 1 plays the sample's first channel; drag a channel from the tree onto a "
                                 "window to play it there. Click a window to make it current: the buttons below act "
                                 "on it. Hover a window for its tool bar (snapshot, clip, digital zoom, sound); with "
                                 "zoom on, drag a rectangle on the picture, and turn zoom off for the whole picture. "
                                 "Right click for its menu (download, full screen); double click for one window "
                                 "alone and back."));
        layout->addWidget(help);

        auto* middle = new QHBoxLayout;
        m_tree = new CGroupTreeView(this);
        m_tree->setFixedWidth(200);
        m_tree->SetDragFlag(false);
        m_tree->SetDragEnabled(true);
        m_tree->SetMimeType(QString::fromLatin1(PlayWnd::kDragFormat));
        m_model = new QStandardItemModel(m_tree);
        middle->addWidget(m_tree);
        m_playArea = new QWidget(this);
        m_playArea->setObjectName(QStringLiteral("PlayArea"));
        m_playArea->setStyleSheet(QStringLiteral("QWidget#PlayArea { background: rgb(40, 42, 44); }"));
        middle->addWidget(m_playArea, 1);
        layout->addLayout(middle, 1);

        BuildWindows(kind == kSplitModes ? CPlayBackWidgetPrivate::kWindowCount : 4);
        if (kind == kSplitModes)
            layout->addLayout(ModeBar());
        layout->addLayout(ControlBar());
        m_status = new QLabel(QStringLiteral("Writing the sample recordings with varpen-sample..."), this);
        m_status->setTextInteractionFlags(Qt::TextSelectableByMouse);
        layout->addWidget(m_status);

        auto* statusTimer = new QTimer(this);
        connect(statusTimer, &QTimer::timeout, this, [this] { ShowStatus(); });
        statusTimer->start(kStatus_ms);

        m_output = SampleMaker::Instance().OutputDir();
        SampleMaker::Instance().WhenReady(this, [this](const SampleInfo& info) { OnSampleReady(info); });
    }

    ~PlaybackDemo() override
    {
        // Downloads first (they read the engines), then every playback and its window, then the
        // engines.
        for (auto& [cell, dialog] : m_host->downloadDialogs)
            delete dialog.data();
        m_host->downloadDialogs.clear();
        for (CPlaybackWnd* wnd : m_host->windows) {
            if (wnd->isPlayBack())
                wnd->OnStop();
            delete wnd;
        }
        m_host->windows.clear();
        m_host.reset();
    }

private:
    void BuildWindows(int count)
    {
        QList<QWidget*> cells;
        for (int i = 0; i < count; ++i) {
            auto* wnd = new CPlaybackWnd(m_host.get(), m_playArea);
            wnd->SetFrameName(QStringLiteral("PlayWnd%1").arg(i));
            wnd->SetWndIndex(i);
            wnd->SetChannelInfo(Varpen::CChannel());
            connect(wnd, &CPlaybackWnd::SignalSearchSelected, this, [this](int cell) { OnDropped(cell); });
            connect(wnd, &CPlaybackWnd::SignalDownLoad, this,
                    [this](int cell, const QString& title) { OpenDownload(cell, title); });
            m_host->windows.push_back(wnd);
            cells << wnd;
        }
        m_host->splitLayout->Init(QStringLiteral(":/template/Default.xml"), m_playArea, cells,
                                  m_kind == kSplitModes ? 0 : 1);
        m_host->SetCurrentWindowIndex(0);
    }

    QHBoxLayout* ModeBar()
    {
        auto* bar = new QHBoxLayout;
        auto* previous = Button(QStringLiteral("< Previous"), QStringLiteral("The split mode before"), this);
        auto* next = Button(QStringLiteral("Next >"), QStringLiteral("The split mode after"), this);
        m_modes = new QComboBox(this);
        for (int mode = 0; mode < CWndSplitLayout::kModeCount; ++mode) {
            m_modes->addItem(QStringLiteral("SplitMode%1  %2")
                                 .arg(mode + 1, 2, 10, QLatin1Char('0'))
                                 .arg(QString::fromLatin1(CWndSplitLayout::GetModeName(mode))));
        }
        connect(m_modes, &QComboBox::currentIndexChanged, this, [this](int mode) {
            if (m_host->splitLayout->IsSingleWnd())
                m_host->splitLayout->RestoreLayout();
            m_host->splitLayout->SetSplitMode(mode);
        });
        auto step = [this](int by) {
            m_modes->setCurrentIndex((m_modes->currentIndex() + by + CWndSplitLayout::kModeCount) %
                                     CWndSplitLayout::kModeCount);
        };
        connect(previous, &QPushButton::clicked, this, [step] { step(-1); });
        connect(next, &QPushButton::clicked, this, [step] { step(1); });
        bar->addWidget(previous);
        bar->addWidget(m_modes);
        bar->addWidget(next);
        bar->addStretch(1);
        return bar;
    }

    QHBoxLayout* ControlBar()
    {
        auto* bar = new QHBoxLayout;
        auto add = [this, bar](const QString& text, const QString& tip, std::function<void(CPlaybackWnd*)> act) {
            auto* b = Button(text, tip, this);
            connect(b, &QPushButton::clicked, this, [this, act] {
                if (CPlaybackWnd* wnd = BoundCurrent()) {
                    act(wnd);
                    m_host->EnableVolume(wnd->WndIndex(), wnd->isPlayBack());
                }
                ShowStatus();
            });
            bar->addWidget(b);
        };
        add(QStringLiteral("Play"), QStringLiteral("Play the current window; back to 1x when it plays"),
            [](CPlaybackWnd* w) { w->OnPlay(); });
        add(QStringLiteral("Pause"), QStringLiteral("Pause the current window"), [](CPlaybackWnd* w) { w->OnPause(); });
        add(QStringLiteral("Stop"), QStringLiteral("Stop the current window"), [](CPlaybackWnd* w) { w->OnStop(); });
        add(QStringLiteral("Slower"), QStringLiteral("Half the speed (down to 1/8x)"),
            [this](CPlaybackWnd* w) { StepSpeed(w, -1); });
        add(QStringLiteral("Faster"), QStringLiteral("Double the speed (up to 8x)"),
            [this](CPlaybackWnd* w) { StepSpeed(w, 1); });
        add(QStringLiteral("Frame back"), QStringLiteral("One frame back"),
            [](CPlaybackWnd* w) { w->OnSingleFrameBack(); });
        add(QStringLiteral("Frame"), QStringLiteral("One frame on"), [](CPlaybackWnd* w) { w->OnSingleFrame(); });
        add(QStringLiteral("Download"), QStringLiteral("The download dialog of the current window"),
            [](CPlaybackWnd* w) { w->OnDownLoad(); });

        auto* fit = new QCheckBox(QStringLiteral("Fit picture"), this);
        fit->setToolTip(QStringLiteral("Keep the picture's own aspect ratio in every window"));
        fit->setFocusPolicy(Qt::NoFocus);
        connect(fit, &QCheckBox::toggled, this, [this](bool on) {
            m_host->fit = on;
            for (CPlaybackWnd* wnd : m_host->windows)
                wnd->OnAdaptWindow(on ? 1 : 0);
        });
        bar->addWidget(fit);

        auto* volume = new CVolumeButton(this);
        volume->setToolTip(
            QStringLiteral("Sound of the current window: click for the volume slider and the "
                           "sound switch"));
        volume->setIcon(QIcon(QStringLiteral(":/images/public/Volume/BigCloseSound.png")));
        volume->setIconSize(QSize(24, 24));
        volume->setEnabled(false);
        volume->SetVolume(0x7FFF);
        m_host->volumeButton = volume;
        connect(volume, &CVolumeButton::SignalVoiceOpened, this, [this](bool) {
            if (CPlaybackWnd* wnd = BoundCurrent())
                wnd->OnOpenVoice();
        });
        connect(volume, &CVolumeButton::SignalVolumeValueChanged, this, [this](int value) {
            if (CPlayBackInteraction* player = m_host->CurrentPlayer())
                player->SetVolume(std::uint16_t(value));
        });
        bar->addWidget(volume);
        bar->addStretch(1);
        return bar;
    }

    // The current window when the page holds an engine for it.
    CPlaybackWnd* BoundCurrent()
    {
        CPlaybackWnd* wnd = m_host->CurrentWindowPtr();
        if (!wnd || !wnd->GetPlayer()) {
            m_note = QStringLiteral("Window %1 has no channel: drag one from the tree onto it.")
                         .arg(m_host->GetCurrentIndex() + 1);
            ShowStatus();
            return nullptr;
        }
        m_note.clear();
        return wnd;
    }

    void StepSpeed(CPlaybackWnd* wnd, int by)
    {
        CPlayBackInteraction* player = wnd->GetPlayer();
        if (!player->IsPlaying())
            return;
        wnd->OnCtrlSpeed(std::clamp(player->GetSpeed() + by, -3, 3));
    }

    void OnSampleReady(const SampleInfo& info)
    {
        if (!info.error.isEmpty()) {
            m_note = info.error;
            ShowStatus();
            return;
        }
        m_sample = info;
        auto* group = new QStandardItem(QStringLiteral("Recorder ") + info.group);
        group->setEditable(false);
        for (int number : info.channels) {
            auto* item = new QStandardItem(QIcon(QStringLiteral(":/images/public/TreeView/camera.png")),
                                           QStringLiteral("CH%1").arg(number, 2, 10, QLatin1Char('0')));
            item->setEditable(false);
            item->setData(number, kChannelRole);
            group->appendRow(item);
        }
        m_model->appendRow(group);
        m_tree->setModel(m_model);
        m_tree->setHeaderHidden(true);
        m_tree->header()->setSectionResizeMode(0, QHeaderView::Stretch);
        m_tree->expandAll();
        if (SearchInto(0, info.channels.first()))
            setProperty(Gallery::kDemoReadyProperty, true);
    }

    // A channel dropped from the tree: the tree's current row.
    void OnDropped(int cell)
    {
        const QModelIndex index = m_tree->currentIndex();
        const QVariant number = index.data(kChannelRole);
        if (!number.isValid()) {
            m_note = QStringLiteral("Drag a channel, not the group.");
            return;
        }
        SearchInto(cell, number.toInt());
    }

    // Binds `channel` to window `cell`, searches the sample for it and plays it there.
    bool SearchInto(int cell, int channel)
    {
        CPlaybackWnd* wnd = m_host->windows[size_t(cell)];
        if (wnd->isPlayBack())
            wnd->OnStop();
        // As a search does: the window's download dialog ends its job and forgets the old files.
        wnd->ResetPlayWnd();
        if (!m_host->PlayerAt(cell)) {
            QMutexLocker lock(&m_host->playersLock);
            m_host->players[cell] = std::make_unique<CPlayBackInteraction>();
        }
        m_host->RemoveWindowEntries(cell);
        wnd->SetChannelInfo(Varpen::CChannel(channel, m_sample.group));
        CPlayBackInteraction* player = m_host->PlayerAt(cell);
        player->SetUseIndex(true);
        Varpen::SingleFileList found;
        if (!player->SearchFiles(found, m_sample.dir.toLocal8Bit().toStdString(), m_sample.begin, m_sample.end, 0) ||
            found.empty()) {
            m_note =
                QStringLiteral("No recordings of CH%1 in %2").arg(channel, 2, 10, QLatin1Char('0')).arg(m_sample.dir);
            return false;
        }
        m_host->filesByWindow[cell] = found;
        m_host->SetCurrentWindowIndex(cell);
        if (!wnd->OnPlay()) {
            m_note = QStringLiteral("Window %1 cannot play CH%2").arg(cell + 1).arg(channel, 2, 10, QLatin1Char('0'));
            return false;
        }
        m_host->EnableVolume(cell, true);
        m_note.clear();
        return true;
    }

    void OpenDownload(int cell, const QString& title)
    {
        QPointer<CPlaybackDownLoad>& dialog = m_host->downloadDialogs[cell];
        if (!dialog) {
            dialog = new CPlaybackDownLoad(m_host->DownloadSource(), cell, this);
            dialog->SetDownloadFlag(true);
        }
        dialog->SetTitle(title);
        dialog->show();
        dialog->raise();
        dialog->FillFileList();
    }

    void ShowStatus()
    {
        QStringList parts;
        const int cell = m_host->GetCurrentIndex();
        CPlayBackInteraction* player = m_host->CurrentPlayer();
        if (cell >= 0) {
            QString state = QStringLiteral("no channel");
            if (player) {
                if (!player->IsPlaying())
                    state = QStringLiteral("stopped");
                else if (player->IsPaused())
                    state = QStringLiteral("paused");
                else if (player->IsStepping())
                    state = QStringLiteral("frame steps");
                else
                    state = QStringLiteral("playing at ") + PlayWnd::SpeedText(player->GetSpeed());
                if (player->IsPlaying() && player->IsVoiceOpen())
                    state += QStringLiteral(", sound on");
                if (player->IsPlaying() && player->IsClipping())
                    state += QStringLiteral(", clip running");
            }
            parts << QStringLiteral("Current: window %1 (%2)").arg(cell + 1).arg(state);
        }
        if (!m_note.isEmpty())
            parts << m_note;
        if (!m_sample.dir.isEmpty())
            parts << QStringLiteral("Recordings: ") + m_sample.dir;
        parts << QStringLiteral("Snapshots, clips, downloads: ") + m_output;
        if (!m_sample.dir.isEmpty() || !m_note.isEmpty())
            m_status->setText(parts.join(QStringLiteral("  |  ")));
    }

    Kind m_kind;
    std::unique_ptr<DemoHost> m_host;
    CGroupTreeView* m_tree = nullptr;
    QStandardItemModel* m_model = nullptr;
    QWidget* m_playArea = nullptr;
    QComboBox* m_modes = nullptr;
    QLabel* m_status = nullptr;
    QString m_output;
    QString m_note;
    SampleInfo m_sample;
};

const Gallery::RegisterDemo kPlaybackDemos{
    {QStringLiteral("Demo-SplitModes"),
     [] { return static_cast<QWidget*>(new PlaybackDemo(PlaybackDemo::kSplitModes)); }},
    {QStringLiteral("Demo-PlayWindow"),
     [] { return static_cast<QWidget*>(new PlaybackDemo(PlaybackDemo::kPlayWindow)); }},
};

}  // namespace
