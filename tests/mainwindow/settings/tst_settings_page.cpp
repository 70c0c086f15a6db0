// The settings page against the real store and a settings file in a temporary folder; free space
// comes from a replaced query, prompts from a script.
#include "app/CommonUtil.h"
#include "app/SettingsManager.h"
#include "engine/PlayBackInteraction.h"
#include "mainwindow/CSettingsWidget.h"
#include "mainwindow/SettingsPage.h"
#include "platform/system/system.h"
#include "playback/PlaybackWnd.h"
#include "widgets/CComboBoxes.h"
#include "widgets/CPathComboBox.h"
#include "widgets/CToolTip.h"
#include "widgets/PromptHook.h"

#include <QFile>
#include <QSignalSpy>
#include <QStandardPaths>
#include <QTemporaryDir>
#include <QTest>

namespace {

constexpr uint64_t kMiB = 1024ull * 1024ull;

// Set by a test: the free bytes of folders under "/edge".
uint64_t g_edgeFree_bytes = 0;

// Folders under "/low" have 100 MiB free, under "/mid" 1 GiB, under "/edge" what a test sets,
// under "/unknown" cannot be asked.
bool FakeFreeSpace(const char* path, uint64_t* free_bytes, uint64_t* total_bytes)
{
    const QString p = QString::fromUtf8(path);
    if (p.startsWith(QLatin1String("/unknown")))
        return false;
    uint64_t free = 100 * 1024 * kMiB;
    if (p.startsWith(QLatin1String("/low")))
        free = 100 * kMiB;
    else if (p.startsWith(QLatin1String("/mid")))
        free = 1024 * kMiB;
    else if (p.startsWith(QLatin1String("/edge")))
        free = g_edgeFree_bytes;
    if (free_bytes)
        *free_bytes = free;
    if (total_bytes)
        *total_bytes = 200 * 1024 * kMiB;
    return true;
}

void SetPath(CSettingsWidget& page, int index, const QString& path)
{
    CPathComboBox* box = page.PathOf(index);
    box->clear();
    box->addItem(path);
}

QByteArray ReadBytes(const QString& path)
{
    QFile f(path);
    return f.open(QIODevice::ReadOnly) ? f.readAll() : QByteArray();
}

}  // namespace

class TestSettingsPage : public QObject {
    Q_OBJECT
private slots:
    void initTestCase();
    void init();
    void cleanupTestCase();

    void defaultsWithoutFile();
    void storedValuesShown_data();
    void storedValuesShown();
    void changeDetection_data();
    void changeDetection();
    void saveWritesFileAndLongFolders();
    void failedWriteKeepsFileAndPageChanged();
    void lowSpaceRefusesOnlyThatFolder_data();
    void lowSpaceRefusesOnlyThatFolder();
    void captureFolderRuleIsTheSnapshots_data();
    void captureFolderRuleIsTheSnapshots();
    void getSettingsDropsEdits();
    void saveQuestion();

private:
    QString SettingsPath() const { return m_dir.filePath(QStringLiteral("Settings.xml")); }
    void Store(const QStringList& values);

    QTemporaryDir m_dir;
};

void TestSettingsPage::initTestCase()
{
    QStandardPaths::setTestModeEnabled(true);
    QVERIFY(m_dir.isValid());
    qputenv("VARPEN_CONFIG_DIR", m_dir.path().toUtf8());
    Sys_SetFreeSpaceFunction(&FakeFreeSpace);
}

void TestSettingsPage::cleanupTestCase()
{
    Sys_SetFreeSpaceFunction(nullptr);
}

void TestSettingsPage::init()
{
    CSettingsManager::Instance()->Clear();
    QFile::remove(SettingsPath());
    CToolTip::hideText();
}

void TestSettingsPage::Store(const QStringList& values)
{
    QVector<CSettings*> items;
    for (int i = 0; i < values.size(); ++i)
        items.append(new CSettings(CSettingsManager::GetKeyName(i), values[i]));
    CSettingsManager::Instance()->SetAllSettings(items);
}

// No "Settings.xml": the page shows real defaults, the store holds them at once (snapshots and
// downloads use the same folder), and "Save" without a change writes nothing.
void TestSettingsPage::defaultsWithoutFile()
{
    CPromptScript script(1);
    CSettingsWidget page;
    const QString folder = CCommonUtil::GetDefaultOutputDir(QString());
    QCOMPARE(page.ComboOf(0)->currentText(), QStringLiteral("JPEG"));
    QCOMPARE(page.ComboOf(2)->currentText(), QStringLiteral("128MB"));
    QCOMPARE(page.ComboOf(4)->currentText(), QStringLiteral("128MB"));
    for (int i : {1, 3, 5}) {
        QCOMPARE(page.PathOf(i)->currentText(), folder);
        QCOMPARE(CSettingsManager::Instance()->GetValueByIndex(i).value_or(QString()), folder);
        QCOMPARE(CCommonUtil::GetOutputSavePath(i), folder);
    }
    QCOMPARE(page.EditValues(), (QStringList{"0", folder, "1", folder, "1", folder}));
    QVERIFY(!page.IsSettingsChanged());

    QVERIFY(page.OnSaveBtnClicked());
    QCOMPARE(script.Texts(CPrompt::Notice), QStringList{QStringLiteral("Save successful.")});
    QVERIFY(!QFile::exists(SettingsPath()));
}

void TestSettingsPage::storedValuesShown_data()
{
    QTest::addColumn<QStringList>("stored");
    QTest::addColumn<QStringList>("shown");
    QTest::addColumn<bool>("changed");
    const QString def = CCommonUtil::GetDefaultOutputDir(QString());
    QTest::newRow("plain") << QStringList{"1", "/data/snap/", "0", "/data/clip/", "1", "/data/dl/"}
                           << QStringList{"1", "/data/snap/", "0", "/data/clip/", "1", "/data/dl/"} << false;
    // A folder without the final "/" is shown (and saved) with it.
    QTest::newRow("no slash") << QStringList{"0", "/data/snap", "1", "/data/clip/", "1", "/data/dl/"}
                              << QStringList{"0", "/data/snap/", "1", "/data/clip/", "1", "/data/dl/"} << true;
    // An older installation's drive paths and empty folders name the default folder.
    QTest::newRow("drive paths") << QStringList{"0", "C:/", "1", "", "1", "D:\\Video"}
                                 << QStringList{"0", def, "1", def, "1", def} << true;
    // Unknown or broken combo values fall back to the default item, never to an empty combo.
    QTest::newRow("unknown type") << QStringList{"2", "/a/", "1", "/b/", "1", "/c/"}
                                  << QStringList{"0", "/a/", "1", "/b/", "1", "/c/"} << true;
    QTest::newRow("not a number") << QStringList{"0", "/a/", "big", "/b/", " 0", "/c/"}
                                  << QStringList{"0", "/a/", "1", "/b/", "1", "/c/"} << true;
}

void TestSettingsPage::storedValuesShown()
{
    QFETCH(QStringList, stored);
    QFETCH(QStringList, shown);
    QFETCH(bool, changed);
    Store(stored);
    CSettingsWidget page;
    QCOMPARE(page.EditValues(), shown);
    for (int i : {0, 2, 4})
        QVERIFY(page.ComboOf(i)->currentIndex() >= 0);
    QCOMPARE(page.IsSettingsChanged(), changed);
    if (changed) {
        // Saving stores what is shown: never an empty value.
        CPromptScript script(1);
        QVERIFY(page.OnSaveBtnClicked());
        for (int i = 0; i < 6; ++i)
            QCOMPARE(CSettingsManager::Instance()->GetValueByIndex(i).value_or(QString()), shown[i]);
        QVERIFY(!page.IsSettingsChanged());
    }
}

void TestSettingsPage::changeDetection_data()
{
    QTest::addColumn<int>("index");
    QTest::addColumn<QString>("edit");
    QTest::addColumn<bool>("changed");
    QTest::newRow("capture BMP") << 0 << "1" << true;
    QTest::newRow("capture same") << 0 << "0" << false;
    QTest::newRow("snap folder") << 1 << "/data/other/" << true;
    QTest::newRow("snap same") << 1 << "/data/snap/" << false;
    QTest::newRow("clip 32MB") << 2 << "0" << true;
    QTest::newRow("clip folder") << 3 << "/data/clip2/" << true;
    QTest::newRow("download 32MB") << 4 << "0" << true;
    QTest::newRow("download folder") << 5 << "/data/dl/x/" << true;
}

void TestSettingsPage::changeDetection()
{
    QFETCH(int, index);
    QFETCH(QString, edit);
    QFETCH(bool, changed);
    Store({"0", "/data/snap/", "1", "/data/clip/", "1", "/data/dl/"});
    CSettingsWidget page;
    QVERIFY(!page.IsSettingsChanged());
    if (SettingsPage::IsPathKey(index))
        SetPath(page, index, edit);
    else
        page.ComboOf(index)->setCurrentIndex(page.ComboOf(index)->findData(edit.toInt()));
    QCOMPARE(page.IsSettingsChanged(), changed);
    const QStringList stored{"0", "/data/snap/", "1", "/data/clip/", "1", "/data/dl/"};
    QCOMPARE(SettingsPage::FirstChanged(stored, page.EditValues()), changed ? index : -1);
}

// A changed save writes all six keys; folders longer than 39 characters are kept whole.
void TestSettingsPage::saveWritesFileAndLongFolders()
{
    CPromptScript script(1);
    CSettingsWidget page;
    const QString longFolder = QStringLiteral("/data/recordings/exported/station-07/snapshots/2026/December/");
    QVERIFY(longFolder.size() > 39);
    page.ComboOf(0)->setCurrentIndex(1);
    SetPath(page, 1, longFolder);
    page.ComboOf(4)->setCurrentIndex(0);
    QVERIFY(page.IsSettingsChanged());
    QVERIFY(page.OnSaveBtnClicked());
    QCOMPARE(script.Texts(CPrompt::Notice), QStringList{QStringLiteral("Save successful.")});
    QVERIFY(!page.IsSettingsChanged());
    QCOMPARE(page.PathOf(1)->currentText(), longFolder);

    CSettingsManager reread;
    QVERIFY(reread.ReadSettings(SettingsPath()));
    QCOMPARE(reread.Count(), 6);
    QCOMPARE(reread.GetValueByIndex(0).value_or(QString()), QStringLiteral("1"));
    QCOMPARE(reread.GetValueByIndex(1).value_or(QString()), longFolder);
    QCOMPARE(reread.GetValueByIndex(4).value_or(QString()), QStringLiteral("0"));
    QCOMPARE(CCommonUtil::GetOutputSavePath(1), longFolder);
}

// A write that fails keeps the old file and the old values in the store, says "Save failed." and
// leaves the page changed, so the edits are neither lost nor reported as saved.
void TestSettingsPage::failedWriteKeepsFileAndPageChanged()
{
    Store({"0", "/data/snap/", "1", "/data/clip/", "1", "/data/dl/"});
    QVERIFY(CSettingsManager::Instance()->WriteSettings(SettingsPath()));
    const QByteArray before = ReadBytes(SettingsPath());
    CPromptScript script(1);
    CSettingsWidget page;
    page.ComboOf(0)->setCurrentIndex(1);
    SetPath(page, 3, QStringLiteral("/data/clip\x01/"));  // a text the file cannot hold
    QVERIFY(page.OnSaveBtnClicked());
    QCOMPARE(script.Texts(CPrompt::Warn), QStringList{QStringLiteral("Save failed.")});
    QCOMPARE(script.Count(CPrompt::Notice), 0);
    QCOMPARE(ReadBytes(SettingsPath()), before);
    QCOMPARE(CSettingsManager::Instance()->GetValueByIndex(0).value_or(QString()), QStringLiteral("0"));
    QCOMPARE(CSettingsManager::Instance()->GetValueByIndex(3).value_or(QString()), QStringLiteral("/data/clip/"));
    QVERIFY(page.IsSettingsChanged());
    QCOMPARE(page.ComboOf(0)->currentText(), QStringLiteral("BMP"));
}

void TestSettingsPage::lowSpaceRefusesOnlyThatFolder_data()
{
    QTest::addColumn<QStringList>("folders");  // capture, clip, download
    QTest::addColumn<int>("refused");
    QTest::addColumn<QString>("tip");
    QTest::newRow("capture low") << QStringList{"/low/a/", "/data/b/", "/data/c/"} << 1
                                 << "At least 500M disk space is need.";
    // 1 GiB is enough for snapshots, not for clips.
    QTest::newRow("capture mid") << QStringList{"/mid/a/", "/data/b/", "/data/c/"} << -1 << QString();
    QTest::newRow("clip mid") << QStringList{"/data/a/", "/mid/b/", "/data/c/"} << 3
                              << "At least 2G disk space is need.";
    QTest::newRow("download low") << QStringList{"/data/a/", "/data/b/", "/low/c/"} << 5
                                  << "At least 2G disk space is need.";
    QTest::newRow("capture first") << QStringList{"/low/a/", "/low/b/", "/data/c/"} << 1
                                   << "At least 500M disk space is need.";
    QTest::newRow("cannot check") << QStringList{"/data/a/", "/unknown/b/", "/data/c/"} << 3
                                  << "The free space of this folder cannot be checked.";
}

void TestSettingsPage::lowSpaceRefusesOnlyThatFolder()
{
    QFETCH(QStringList, folders);
    QFETCH(int, refused);
    QFETCH(QString, tip);
    Store({"0", "/data/snap/", "1", "/data/clip/", "1", "/data/dl/"});
    CPromptScript script(1);
    CSettingsWidget page;
    page.ComboOf(2)->setCurrentIndex(0);
    SetPath(page, 1, folders[0]);
    SetPath(page, 3, folders[1]);
    SetPath(page, 5, folders[2]);
    const QStringList edits = page.EditValues();
    const bool saved = page.OnSaveBtnClicked();
    QCOMPARE(saved, refused < 0);
    QCOMPARE(page.RefusedIndex(), refused);
    if (refused < 0) {
        QVERIFY(!page.IsSettingsChanged());
        return;
    }
    QVERIFY(CToolTip::isVisible());
    QCOMPARE(CToolTip::text(), tip);
    QCOMPARE(script.Prompts().size(), 0);
    QVERIFY(!QFile::exists(SettingsPath()));
    // Nothing is lost: the store is unchanged, every edit still shows.
    QCOMPARE(CSettingsManager::Instance()->GetValueByIndex(2).value_or(QString()), QStringLiteral("1"));
    QCOMPARE(page.EditValues(), edits);
}

void TestSettingsPage::captureFolderRuleIsTheSnapshots_data()
{
    QTest::addColumn<quint64>("free");
    QTest::addColumn<bool>("refused");
    QTest::newRow("510 MiB free") << quint64(510 * kMiB) << true;
    QTest::newRow("one byte short of 512 MiB") << quint64(512 * kMiB - 1) << true;
    QTest::newRow("exactly 512 MiB") << quint64(512 * kMiB) << false;
}

// The capture folder the page accepts is one a snapshot may write to, and the other way round:
// the page's save and the play window's snapshot on one folder agree.
void TestSettingsPage::captureFolderRuleIsTheSnapshots()
{
    QFETCH(quint64, free);
    QFETCH(bool, refused);
    g_edgeFree_bytes = free;
    const QString folder = QStringLiteral("/edge/snap/");
    Store({"0", folder, "1", "/data/clip/", "1", "/data/dl/"});
    CPromptScript script(1);

    CSettingsWidget page;
    QCOMPARE(page.EditValues().value(1), folder);
    QCOMPARE(page.OnSaveBtnClicked(), !refused);
    QCOMPARE(page.RefusedIndex(), refused ? 1 : -1);
    if (refused)
        QCOMPARE(CToolTip::text(), QStringLiteral("At least 500M disk space is need."));

    // A window bound to an engine that plays nothing: a snapshot that passes the space check
    // fails for want of a picture, one that does not is refused for the space.
    struct Host : CPlaybackWndHost {
        CPlayBackInteraction* Player(int) const override { return engine.get(); }
        std::unique_ptr<CPlayBackInteraction> engine = std::make_unique<CPlayBackInteraction>();
    } host;
    CPlaybackWnd wnd(&host);
    script.Clear();
    wnd.OnSnapshot();
    QCOMPARE(script.Texts(CPrompt::Notice),
             QStringList{refused ? QStringLiteral("Disk Space is low.") : QStringLiteral("Snapshot failed.")});
}

void TestSettingsPage::getSettingsDropsEdits()
{
    Store({"1", "/data/snap/", "0", "/data/clip/", "0", "/data/dl/"});
    CSettingsWidget page;
    const QStringList shown = page.EditValues();
    page.ComboOf(0)->setCurrentIndex(0);
    SetPath(page, 5, QStringLiteral("/elsewhere/"));
    QVERIFY(page.IsSettingsChanged());
    page.GetSettings();
    QCOMPARE(page.EditValues(), shown);
    QVERIFY(!page.IsSettingsChanged());
}

// The main window's question on leaving the page.
void TestSettingsPage::saveQuestion()
{
    Store({"0", "/data/snap/", "1", "/data/clip/", "1", "/data/dl/"});
    QWidget window;
    CSettingsWidget page(&window);
    {
        CPromptScript script(1);
        QCOMPARE(CheckSaveSettings(&page, &window), SaveQuestionResult::NotAsked);
        QCOMPARE(script.Prompts().size(), 0);
        QCOMPARE(CheckSaveSettings(nullptr, &window), SaveQuestionResult::NotAsked);
    }
    {  // "No" drops the edits.
        CPromptScript script(0);
        page.ComboOf(0)->setCurrentIndex(1);
        QCOMPARE(CheckSaveSettings(&page, &window), SaveQuestionResult::Dropped);
        QCOMPARE(script.Texts(CPrompt::Question), QStringList{QStringLiteral("Save new settings?")});
        QCOMPARE(page.ComboOf(0)->currentText(), QStringLiteral("JPEG"));
    }
    {  // "Yes" saves.
        CPromptScript script(1);
        page.ComboOf(0)->setCurrentIndex(1);
        QCOMPARE(CheckSaveSettings(&page, &window), SaveQuestionResult::Saved);
        QCOMPARE(script.Texts(CPrompt::Notice), QStringList{QStringLiteral("Save successful.")});
        QCOMPARE(CSettingsManager::Instance()->GetValueByIndex(0).value_or(QString()), QStringLiteral("1"));
    }
    {  // A folder short of space is put back alone; the other edits are saved.
        CPromptScript script(1);
        page.ComboOf(2)->setCurrentIndex(0);
        SetPath(page, 5, QStringLiteral("/low/dl/"));
        QCOMPARE(CheckSaveSettings(&page, &window), SaveQuestionResult::PartlySaved);
        QCOMPARE(script.Texts(CPrompt::Notice),
                 (QStringList{QStringLiteral("DiskSpace is low."), QStringLiteral("Save successful.")}));
        QCOMPARE(CSettingsManager::Instance()->GetValueByIndex(2).value_or(QString()), QStringLiteral("0"));
        QCOMPARE(CSettingsManager::Instance()->GetValueByIndex(5).value_or(QString()), QStringLiteral("/data/dl/"));
        QCOMPARE(page.PathOf(5)->currentText(), QStringLiteral("/data/dl/"));
        QVERIFY(!page.IsSettingsChanged());
    }
    {  // A failed write keeps the edits on the page, still changed.
        CPromptScript script(1);
        SetPath(page, 3, QStringLiteral("/data/clip\x02/"));
        QCOMPARE(CheckSaveSettings(&page, &window), SaveQuestionResult::WriteFailed);
        QCOMPARE(script.Texts(CPrompt::Warn), QStringList{QStringLiteral("Save failed.")});
        QVERIFY(page.IsSettingsChanged());
    }
    {  // The stored download folder itself is short of space: there is nothing to put back, so
        // nothing is saved and no edit is dropped (and the question does not go round in circles).
        Store({"0", "/data/snap/", "1", "/data/clip/", "1", "/low/dl/"});
        CSettingsWidget stuck(&window);
        CPromptScript script(1);
        stuck.ComboOf(0)->setCurrentIndex(1);
        const QStringList edits = stuck.EditValues();
        QCOMPARE(CheckSaveSettings(&stuck, &window), SaveQuestionResult::Refused);
        QCOMPARE(script.Texts(CPrompt::Notice), QStringList{QStringLiteral("DiskSpace is low.")});
        QCOMPARE(stuck.EditValues(), edits);
        QCOMPARE(CSettingsManager::Instance()->GetValueByIndex(0).value_or(QString()), QStringLiteral("0"));
        QVERIFY(stuck.IsSettingsChanged());
    }
}

QTEST_MAIN(TestSettingsPage)
#include "tst_settings_page.moc"
