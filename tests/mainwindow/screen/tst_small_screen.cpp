// The station on the smallest screen it accepts, 1024 x 768, with the application's own font,
// style and style sheet, in English and in Chinese, on the "month" sample folder offered as a
// disk: the window fits the screen; no two controls of the page, its play bar or its search panel
// overlap; each play window's name and time keep rooms of their own (the name elided) in the 4- and
// 16-window layouts after a real search; and the time line's last row is reached by scrolling.
#include "app/gui/OstraApplication.h"
#include "engine/PlayBackInteraction.h"
#include "engine/SearchDiskThread.h"
#include "mainwindow/VarpenMainWnd.h"
#include "playback/PlayBackWidget.h"
#include "playback/PlaybackWnd.h"
#include "timeline/MultiChartView.h"
#include "timeline/MultiTimeSlider.h"
#include "widgets/CDiskTreeBox.h"
#include "widgets/CGroupTreeView.h"
#include "widgets/CPushButton.h"
#include "widgets/CalendarWidget.h"
#include "widgets/DateTimeEdit.h"
#include "widgets/PromptHook.h"

#include <QFile>
#include <QLabel>
#include <QLayout>
#include <QScreen>
#include <QScrollBar>
#include <QSignalSpy>
#include <QStandardItemModel>
#include <QTemporaryDir>
#include <QTest>
#include <QToolButton>
#include <QTranslator>

#include <memory>

namespace {

const QSize kScreen(1024, 768);
const QDate kSampleDay(2024, 1, 30);

QString Describe(const QWidget* w)
{
    return QStringLiteral("%1 %2,%3 %4x%5")
        .arg(w->objectName().isEmpty() ? QString::fromLatin1(w->metaObject()->className()) : w->objectName())
        .arg(w->x())
        .arg(w->y())
        .arg(w->width())
        .arg(w->height());
}

// The shown widgets among `widgets`, as rectangles in `frame`'s coordinates: none reaches out of
// `frame` and no two of them intersect. Empty when so, else what is wrong.
QString Overlaps(const QList<QWidget*>& widgets, const QWidget* frame)
{
    QStringList wrong;
    QList<QPair<QWidget*, QRect>> shown;
    for (QWidget* w : widgets) {
        if (!w->isVisible())
            continue;
        const QRect r(w->mapTo(frame, QPoint(0, 0)), w->size());
        if (!frame->rect().contains(r))
            wrong << Describe(w) + QStringLiteral(" leaves ") + Describe(frame);
        for (const auto& [other, rect] : shown)
            if (rect.intersects(r))
                wrong << Describe(w) + QStringLiteral(" overlaps ") + Describe(other);
        shown.append({w, r});
    }
    return wrong.join(QStringLiteral("; "));
}

QList<QWidget*> ChildWidgets(const QWidget* parent)
{
    return parent->findChildren<QWidget*>(QString(), Qt::FindDirectChildrenOnly);
}

// A label shows all of its text in its room.
bool TextFits(const QLabel* label)
{
    return label->fontMetrics().horizontalAdvance(label->text()) <= label->contentsRect().width();
}

}  // namespace

class TestSmallScreen : public QObject {
    Q_OBJECT

    std::unique_ptr<QTranslator> m_translator;
    std::unique_ptr<CVarpenMainWnd> m_window;

    CPlayBackWidget& Page() { return *m_window->PlayBackPage(); }
    Ui_CPlayBackWidget& Ui() { return Page().Form(); }

    // The tree lists the sample's four channels once the calendar shows its month.
    bool ShowSampleChannels()
    {
        Ui().m_pCalendarWidget->SetCurrentPage(kSampleDay.year(), kSampleDay.month());
        return QTest::qWaitFor(
            [this] {
                const QStandardItemModel* m = Page().ChannelModel();
                return !Page().DiskSearcher()->isRunning() && m->rowCount() == 1 && m->item(0)->rowCount() == 4;
            },
            30000);
    }

    // Ticks the four channels and searches the sample day from window `first` (0-based) on.
    void SearchFrom(int first)
    {
        QTest::mouseClick(Page().PlayWindow(first), Qt::LeftButton);
        QCOMPARE(Page().CurrentWindowIndex(), first);
        QStandardItem* group = Page().ChannelModel()->item(0);
        for (int row = 0; row < group->rowCount(); ++row)
            group->child(row)->setCheckState(Qt::Checked);
        Ui().m_pDateTimeEditBeginTime->setDateTime(QDateTime(kSampleDay, QTime(0, 0)));
        Ui().m_pDateTimeEditEndTime->setDateTime(QDateTime(kSampleDay, QTime(23, 59, 59)));
        CPromptScript prompts(CPromptHook::kRunModal);  // the search ends its own wait dialog
        Ui().m_pSearchBtn->click();
        QCOMPARE(prompts.Count(CPrompt::Exec), 1);
        QCOMPARE(int(Page().Players().size()), 4);
    }

    // A cut button as the operator clicks it; the grid it chooses has placed its windows after.
    void ChooseLayout(QToolButton* cut)
    {
        cut->click();
        Ui().m_pPlayAreaFrame->layout()->activate();
    }

    // In every shown play window the name and the time keep rooms of their own, and each shows
    // what it shows in full (the name elided where it is too long).
    void CheckTitles(const QString& layout)
    {
        for (int i = 0; CPlaybackWnd* wnd = Page().PlayWindow(i); ++i) {
            if (!wnd->isVisible())
                continue;
            const QString where = layout + QStringLiteral(" window %1").arg(wnd->WndIndex() + 1);
            const QString overlaps = Overlaps(QList<QWidget*>{wnd->TitleLabel(), wnd->TimeLabel()}, wnd);
            QVERIFY2(overlaps.isEmpty(), qPrintable(where + QStringLiteral(": ") + overlaps));
            QVERIFY2(TextFits(wnd->TitleLabel()), qPrintable(where + QStringLiteral(": ") + wnd->TitleLabel()->text()));
            QVERIFY2(TextFits(wnd->TimeLabel()), qPrintable(where + QStringLiteral(": ") + wnd->TimeLabel()->text()));
        }
    }

private slots:
    void init()
    {
        QFETCH_GLOBAL(QString, language);
        if (language == QLatin1String("zh")) {
            m_translator = std::make_unique<QTranslator>();
            QVERIFY(m_translator->load(qEnvironmentVariable("VARPEN_BUILD_DIR") +
                                       QStringLiteral("/bin/translations/varpen_zh.qm")));
            QCoreApplication::installTranslator(m_translator.get());
        }
        const QScreen* screen = QGuiApplication::primaryScreen();
        QCOMPARE(screen->size(), kScreen);
        m_window = std::make_unique<CVarpenMainWnd>();
        m_window->setFixedSize(CVarpenMainWnd::WindowSizeFor(screen->size(), screen->availableGeometry().size()));
        m_window->show();
        QVERIFY(QTest::qWaitForWindowExposed(m_window.get()));
        m_window->AfterShow();
        QVERIFY(ShowSampleChannels());
    }

    void cleanup()
    {
        if (m_window)
            Page().OnBtnStop();
        m_window.reset();
        if (m_translator)
            QCoreApplication::removeTranslator(m_translator.get());
        m_translator.reset();
    }

    void initTestCase_data()
    {
        QTest::addColumn<QString>("language");
        QTest::newRow("English") << QStringLiteral("en");
        QTest::newRow("Chinese") << QStringLiteral("zh");
    }

    // The window on the screen; the page's parts, the play bar's controls and the search panel's
    // fields side by side, each inside its frame.
    void nothingOverlaps()
    {
        QVERIFY(QGuiApplication::primaryScreen()->availableGeometry().contains(m_window->frameGeometry()));
        Ui_CPlayBackWidget& ui = Ui();
        const QList<QWidget*> parts{ui.m_pLabelDisk,   ui.m_pComboBoxDisk,   ui.m_pPlayBackTreeView,
                                    ui.m_pBottomFrame, ui.m_pPlayAreaFrame,  ui.frame_4,
                                    ui.m_pFrameBottom, ui.m_pMultiTimeSlider};
        QString overlaps = Overlaps(parts, m_window.get());
        QVERIFY2(overlaps.isEmpty(), qPrintable(overlaps));
        overlaps = Overlaps(ChildWidgets(ui.m_pFrameBottom), ui.m_pFrameBottom);
        QVERIFY2(overlaps.isEmpty(), qPrintable(QStringLiteral("play bar: ") + overlaps));
        overlaps = Overlaps(ChildWidgets(ui.m_pBottomFrame), ui.m_pBottomFrame);
        QVERIFY2(overlaps.isEmpty(), qPrintable(QStringLiteral("search panel: ") + overlaps));
    }

    // Titles of bound windows in the 4-window layout, then of every window in the 16-window one.
    void titlesKeepTheirRooms()
    {
        SearchFrom(0);
        CheckTitles(QStringLiteral("4 windows"));
        ChooseLayout(Ui().m_pMoreCutBtn);
        CheckTitles(QStringLiteral("16 windows"));
        QVERIFY(Page().PlayWindow(0)->TitleLabel()->text().endsWith(QChar(0x2026)));  // 180 pixels wide
        // One window again: it shows its whole title.
        ChooseLayout(Ui().m_pOneCutBtn);
        CheckTitles(QStringLiteral("1 window"));
        QVERIFY(Page().PlayWindow(0)->TitleLabel()->text().endsWith(QStringLiteral("1")));
    }

    // Bars on rows 13 to 16: the scroll bar brings the last row into the part of the time line on
    // the screen, where a click on its bar plays window 16.
    void lastTimeLineRowReachable()
    {
        ChooseLayout(Ui().m_pMoreCutBtn);
        SearchFrom(12);
        CMultiTimeSlider* timeLine = Ui().m_pMultiTimeSlider;
        QScrollBar* scroll = timeLine->View()->ScrollBar();
        QVERIFY(scroll->isVisible());
        scroll->setValue(scroll->maximum());
        // The band where a click reports row 16, found at the first column that has its bar.
        auto rowAt = [timeLine](int x, int y) {
            int row = -1;
            time_t t = 0;
            return timeLine->ClickTarget(QPoint(x, y), &row, &t) ? row : -1;
        };
        int column = -1;
        for (int x = 0; x < timeLine->width() && column < 0; ++x)
            for (int y = 0; y < timeLine->height() && column < 0; ++y)
                if (rowAt(x, y) == 15)
                    column = x;
        QVERIFY2(column >= 0, "the last row's bar is not shown");
        int top = -1;
        int bottom = -1;
        for (int y = 0; y < timeLine->height(); ++y) {
            if (rowAt(column, y) == 15) {
                top = top < 0 ? y : top;
                bottom = y;
            }
        }
        const QRect band(timeLine->mapToGlobal(QPoint(column, top)), timeLine->mapToGlobal(QPoint(column, bottom)));
        QVERIFY2(QGuiApplication::primaryScreen()->geometry().contains(band),
                 qPrintable(QStringLiteral("row 16 at %1..%2 on the screen").arg(band.top()).arg(band.bottom())));
        QSignalSpy clicks(timeLine, &CMultiTimeSlider::MouseClick);
        QTest::mouseClick(timeLine, Qt::LeftButton, {}, QPoint(column, (top + bottom) / 2));
        QCOMPARE(clicks.size(), 1);
        QCOMPARE(clicks.first().at(0).toInt(), 15);
        QTRY_VERIFY(Page().PlayerAt(15)->IsPlaying());
    }
};

// One offscreen screen of 1024 x 768 and the month sample offered as the only extra disk.
int main(int argc, char** argv)
{
    QTemporaryDir config;
    QTemporaryDir runtime;
    QFile::setPermissions(runtime.path(), QFileDevice::ReadOwner | QFileDevice::WriteOwner | QFileDevice::ExeOwner);
    const QString screen = config.filePath(QStringLiteral("screen.json"));
    {
        QFile json(screen);
        if (json.open(QIODevice::WriteOnly))
            json.write(
                R"({"screens":[{"name":"S1","x":0,"y":0,"width":1024,"height":768,"logicalDpi":96,"logicalBaseDpi":96,"dpr":1}]})");
    }
    qputenv("QT_QPA_PLATFORM", QByteArray("offscreen:configfile=") + screen.toUtf8());
    qputenv("VARPEN_CONFIG_DIR", config.path().toUtf8());
    qputenv("XDG_RUNTIME_DIR", runtime.path().toUtf8());
    qputenv("VARPEN_EXTRA_DISKS",
            (qEnvironmentVariable("VARPEN_BUILD_DIR") + QStringLiteral("/samples/test/month")).toUtf8());
    COstraApplication app(argc, argv, QStringLiteral("VarpenSmallScreen"));
    TestSmallScreen test;
    return QTest::qExec(&test, argc, argv);
}

#include "tst_small_screen.moc"
