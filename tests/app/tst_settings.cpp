#include "app/SettingsManager.h"
#include "app/ClientSetup.h"
#include "app/StartupNotice.h"

#include <QDir>
#include <sys/stat.h>

#include <QFile>
#include <QTemporaryDir>
#include <QTest>

#include <atomic>
#include <thread>
#include <vector>

using Entries = SettingsEntries;

namespace {

QString WriteFile(const QTemporaryDir& dir, const QByteArray& bytes)
{
    const QString path = dir.filePath(QStringLiteral("Settings.xml"));
    QFile file(path);
    if (!file.open(QIODevice::WriteOnly) || file.write(bytes) != bytes.size())
        qFatal("cannot write the fixture");
    return path;
}

QByteArray ReadBytes(const QString& path)
{
    QFile file(path);
    return file.open(QIODevice::ReadOnly) ? file.readAll() : QByteArray();
}

// What the store holds, in order, as (name, value) pairs.
Entries Held(const CSettingsManager& store)
{
    return store.Snapshot();
}

const QByteArray kSixKeys =
    "<?xml version=\"1.0\" encoding=\"UTF-8\"?>\n<Settings>\n"
    "<CaptureSaveType><Value>0</Value></CaptureSaveType>\n"
    "<CaptureSavePath><Value>/srv/snap/</Value></CaptureSavePath>\n"
    "<ClipPackageSize><Value>1</Value></ClipPackageSize>\n"
    "<ClipSavePath><Value>/srv/clip/</Value></ClipSavePath>\n"
    "<DownloadPackageSize><Value>0</Value></DownloadPackageSize>\n"
    "<DownloadSavePath><Value>/srv/down/</Value></DownloadSavePath>\n"
    "</Settings>\n";

}  // namespace

class TestSettings : public QObject {
    Q_OBJECT
private slots:
    void keyNames();
    void roundTripKeepsNamesValuesAndOrder();
    void writtenFileShape();
    void readInputs_data();
    void readInputs();
    void missingFileLeavesStoreAsItWas();
    void fileThatIsNoSettingsFileIsRefused_data();
    void fileThatIsNoSettingsFileIsRefused();
    void readingAppendsAndFirstDuplicateWins();
    void setAllSettingsHoldsExactlyTheHandedItems();
    void itemsDroppedBySetAllStayReadable();
    void saveSettingsUpdatesStoreOnlyAfterTheWrite();
    void failedSaveLeavesOldFileAndStore();
    void writeIntoMissingFolderCreatesIt();
    void workersReadWhileTheOperatorSaves();
};

void TestSettings::keyNames()
{
    const QStringList expected = {"CaptureSaveType", "CaptureSavePath",     "ClipPackageSize",
                                  "ClipSavePath",    "DownloadPackageSize", "DownloadSavePath"};
    for (int i = 0; i < expected.size(); ++i)
        QCOMPARE(CSettingsManager::GetKeyName(i), expected[i]);
    QCOMPARE(CSettingsManager::GetKeyName(6), QString());
    QCOMPARE(CSettingsManager::GetKeyName(-1), QString());
    CSettingsManager store;
    QVERIFY(!store.GetSettingByIndex(6));
    QVERIFY(!store.GetValueByIndex(-1));
}

void TestSettings::roundTripKeepsNamesValuesAndOrder()
{
    QTemporaryDir dir;
    CSettingsManager first;
    QVERIFY(first.ReadSettings(WriteFile(dir, kSixKeys)));
    const QString again = dir.filePath(QStringLiteral("again.xml"));
    QVERIFY(first.WriteSettings(again));

    CSettingsManager second;
    QVERIFY(second.ReadSettings(again));
    const Entries expected = {{"CaptureSaveType", "0"},     {"CaptureSavePath", "/srv/snap/"},
                              {"ClipPackageSize", "1"},     {"ClipSavePath", "/srv/clip/"},
                              {"DownloadPackageSize", "0"}, {"DownloadSavePath", "/srv/down/"}};
    QCOMPARE(Held(second), expected);
    for (int i = 0; i < CSettingsManager::KeyCount; ++i) {
        QVERIFY(second.GetSettingByIndex(i));
        QCOMPARE(second.GetSettingByIndex(i)->GetValue(), expected[i].second);
        QCOMPARE(*second.GetValueByIndex(i), expected[i].second);
    }
}

void TestSettings::writtenFileShape()
{
    QTemporaryDir dir;
    CSettingsManager store;
    store.SetAllSettings({new CSettings("CaptureSavePath", "/a&b <c>/"), new CSettings("ClipSavePath", "")});
    const QString path = dir.filePath(QStringLiteral("out.xml"));
    QVERIFY(store.WriteSettings(path));
    const QString text = QString::fromUtf8(ReadBytes(path));
    QVERIFY2(text.startsWith(QStringLiteral("<?xml version=\"1.0\" encoding=\"UTF-8\"?>")), qPrintable(text));
    QVERIFY(
        text.contains(QStringLiteral("<Settings>\n    <CaptureSavePath>\n        <Value>/a&amp;b &lt;c&gt;/</Value>")));
    QVERIFY(text.contains(QStringLiteral("<ClipSavePath>\n        <Value></Value>\n    </ClipSavePath>")));
    QVERIFY(text.trimmed().endsWith(QStringLiteral("</Settings>")));

    CSettingsManager back;
    QVERIFY(back.ReadSettings(path));
    QCOMPARE(back.GetSettingByIndex(1)->GetValue(), QStringLiteral("/a&b <c>/"));
}

void TestSettings::readInputs_data()
{
    QTest::addColumn<QByteArray>("bytes");
    QTest::addColumn<Entries>("expected");

    const QByteArray decl = "<?xml version=\"1.0\" encoding=\"UTF-8\"?>";
    QTest::newRow("empty file") << QByteArray() << Entries{};
    QTest::newRow("root only") << decl + "<Settings/>" << Entries{};
    QTest::newRow("garbage") << QByteArray("this is not XML \x01\x02 at all") << Entries{};
    QTest::newRow("truncated inside a value")
        << decl + "<Settings><CaptureSaveType><Value>1</Value></CaptureSaveType><ClipSavePath><Value>/home/u/Vid"
        << Entries{{"CaptureSaveType", "1"}};
    QTest::newRow("truncated after an entry")
        << decl + "<Settings><CaptureSaveType><Value>1</Value></CaptureSaveType><Clip"
        << Entries{{"CaptureSaveType", "1"}};
    QTest::newRow("GBK under a UTF-8 declaration is read as GB18030")
        << decl +
               "<Settings><CaptureSaveType><Value>1</Value></CaptureSaveType>"
               "<ClipSavePath><Value>/v/\xc4\xe3\xba\xc3/</Value></ClipSavePath></Settings>"
        << Entries{{"CaptureSaveType", "1"}, {"ClipSavePath", QStringLiteral("/v/你好/")}};
    QTest::newRow("undecodable bytes drop only that entry")
        << decl +
               "<Settings><CaptureSaveType><Value>1</Value></CaptureSaveType>"
               "<ClipSavePath><Value>/v/\xff\xff/</Value></ClipSavePath>"
               "<DownloadSavePath><Value>/d/</Value></DownloadSavePath></Settings>"
        << Entries{{"CaptureSaveType", "1"}, {"DownloadSavePath", "/d/"}};
    QTest::newRow("declared GBK") << QByteArray(
                                         "<?xml version=\"1.0\" encoding=\"GBK\"?><Settings>"
                                         "<ClipSavePath><Value>/\xc4\xe3/</Value></ClipSavePath></Settings>")
                                  << Entries{{"ClipSavePath", QStringLiteral("/你/")}};
    QTest::newRow("unclosed root keeps complete entries")
        << decl + "<Settings><ClipSavePath><Value>/c/</Value></ClipSavePath>" << Entries{{"ClipSavePath", "/c/"}};
    QTest::newRow("key without Value does not take the next key's value")
        << decl +
               "<Settings><CaptureSavePath></CaptureSavePath>"
               "<ClipSavePath><Value>/clips/</Value></ClipSavePath></Settings>"
        << Entries{{"CaptureSavePath", ""}, {"ClipSavePath", "/clips/"}};
    QTest::newRow("unknown element with a Value child gives two empty items")
        << decl +
               "<Settings><Colour><Value>red</Value></Colour>"
               "<ClipPackageSize><Value>0</Value></ClipPackageSize></Settings>"
        << Entries{{"Colour", ""}, {"Value", ""}, {"ClipPackageSize", "0"}};
    QTest::newRow("Value outside a key") << decl + "<Settings><Value>x</Value></Settings>" << Entries{{"Value", ""}};
    QTest::newRow("key holding other elements before its Value")
        << decl + "<Settings><ClipSavePath><Note>n</Note><Value>/c/</Value></ClipSavePath></Settings>"
        << Entries{{"ClipSavePath", "/c/"}};
    QTest::newRow("other root name") << decl + "<Prefs><ClipSavePath><Value>/c/</Value></ClipSavePath></Prefs>"
                                     << Entries{{"Prefs", ""}, {"ClipSavePath", "/c/"}};
    QTest::newRow("Chinese folder name")
        << decl + QByteArray("<Settings><ClipSavePath><Value>/视频/</Value></ClipSavePath></Settings>")
        << Entries{{"ClipSavePath", QStringLiteral("/视频/")}};
}

void TestSettings::readInputs()
{
    QFETCH(QByteArray, bytes);
    QFETCH(Entries, expected);
    QTemporaryDir dir;
    const QString path = WriteFile(dir, bytes);

    CSettingsManager store;
    QVERIFY(store.ReadSettings(path));
    QCOMPARE(Held(store), expected);
    QCOMPARE(store.Count(), expected.size());
    // Reading never writes: a damaged file stays as it was until the operator saves.
    QCOMPARE(ReadBytes(path), bytes);
    // Keys the file did not give read as absent.
    for (int i = 0; i < CSettingsManager::KeyCount; ++i) {
        const bool present = std::any_of(expected.begin(), expected.end(),
                                         [i](const auto& e) { return e.first == CSettingsManager::GetKeyName(i); });
        QCOMPARE(store.GetSettingByIndex(i) != nullptr, present);
    }
}

void TestSettings::missingFileLeavesStoreAsItWas()
{
    QTemporaryDir dir;
    CSettingsManager store;
    QVERIFY(store.ReadSettings(WriteFile(dir, kSixKeys)));
    QVERIFY(!store.ReadSettings(dir.filePath(QStringLiteral("absent.xml"))));
    QCOMPARE(store.Count(), 6);

    CSettingsManager empty;
    QVERIFY(!empty.ReadSettings(dir.filePath(QStringLiteral("absent.xml"))));
    QVector<CSettings*> all;
    empty.GetAllSettings(all);
    QCOMPARE(all, QVector<CSettings*>(6, nullptr));
}

// A FIFO, a device or an outsized file in place of "Settings.xml" or "Setup.xml" is refused at
// once with the start-up message; nothing is read from it, so the station still shows.
void TestSettings::fileThatIsNoSettingsFileIsRefused_data()
{
    QTest::addColumn<QString>("kind");
    QTest::newRow("fifo") << "fifo";
    QTest::newRow("zero device") << "zero";
    QTest::newRow("folder") << "folder";
    QTest::newRow("two megabytes") << "large";
}

void TestSettings::fileThatIsNoSettingsFileIsRefused()
{
    QFETCH(QString, kind);
    QTemporaryDir dir;
    for (const QString& name : {QStringLiteral("Settings.xml"), QStringLiteral("Setup.xml")}) {
        const QString path = dir.filePath(name);
        if (kind == QLatin1String("fifo"))
            QCOMPARE(::mkfifo(QFile::encodeName(path).constData(), 0644), 0);
        else if (kind == QLatin1String("zero"))
            QVERIFY(QFile::link(QStringLiteral("/dev/zero"), path));
        else if (kind == QLatin1String("folder"))
            QVERIFY(QDir().mkpath(path));
        else {
            QByteArray big = kSixKeys;
            big.insert(big.indexOf("</Settings>"), QByteArray(2 << 20, ' '));
            QFile file(path);
            QVERIFY(file.open(QIODevice::WriteOnly));
            QCOMPARE(file.write(big), qint64(big.size()));
        }
        QStringList notices;
        const StartupNoticeHandler previous =
            SetStartupNoticeHandler([&](const QString&, const QString& text) { notices << text; });
        bool read = true;
        if (name == QLatin1String("Settings.xml")) {
            CSettingsManager store;
            read = store.ReadSettings(path);
            QCOMPARE(store.Count(), 0);
        } else {
            CClientConfigManager setup;
            read = setup.LoadConfig(path);
            QVERIFY(!setup.GetConfig(0));
        }
        SetStartupNoticeHandler(previous);
        QVERIFY(!read);
        QCOMPARE(notices.size(), 1);
        QVERIFY(notices.first().contains(name));
    }
}

void TestSettings::readingAppendsAndFirstDuplicateWins()
{
    QTemporaryDir dir;
    const QString path = WriteFile(dir,
                                   "<Settings><ClipSavePath><Value>/first/</Value></ClipSavePath>"
                                   "<ClipSavePath><Value>/second/</Value></ClipSavePath></Settings>");
    CSettingsManager store;
    QVERIFY(store.ReadSettings(path));
    QVERIFY(store.ReadSettings(path));
    QCOMPARE(store.Count(), 4);
    QCOMPARE(store.GetSettingByIndex(CSettingsManager::ClipSavePath)->GetValue(), QStringLiteral("/first/"));
}

void TestSettings::setAllSettingsHoldsExactlyTheHandedItems()
{
    QTemporaryDir dir;
    const QString path = WriteFile(dir,
                                   "<Settings><Colour><Value>red</Value></Colour>"
                                   "<ClipSavePath><Value>/c/</Value></ClipSavePath>"
                                   "<ClipSavePath><Value>/dup/</Value></ClipSavePath></Settings>");
    CSettingsManager store;
    QVERIFY(store.ReadSettings(path));
    QVector<CSettings*> all;
    store.GetAllSettings(all);
    QCOMPARE(all.size(), 6);
    QVERIFY(all[CSettingsManager::ClipSavePath]);
    all[CSettingsManager::ClipSavePath]->SetValue(QStringLiteral("/edited/"));
    // The settings page fills a missing key with an item of its own and hands everything back;
    // null entries are skipped.
    all[CSettingsManager::CaptureSaveType] = new CSettings(QStringLiteral("CaptureSaveType"), QStringLiteral("1"));
    store.SetAllSettings(all);

    const Entries expected = {{"CaptureSaveType", "1"}, {"ClipSavePath", "/edited/"}};
    QCOMPARE(Held(store), expected);
    const QString out = dir.filePath(QStringLiteral("out.xml"));
    QVERIFY(store.WriteSettings(out));
    CSettingsManager back;
    QVERIFY(back.ReadSettings(out));
    QCOMPARE(Held(back), expected);
}

void TestSettings::itemsDroppedBySetAllStayReadable()
{
    CSettingsManager store;
    auto* old = new CSettings(QStringLiteral("ClipSavePath"), QStringLiteral("/old/"));
    store.SetAllSettings({old});
    CSettings* fetched = store.GetSettingByIndex(CSettingsManager::ClipSavePath);
    QCOMPARE(fetched, old);
    // A fresh item replaces it; a worker that fetched the old one may still read it.
    store.SetAllSettings({new CSettings(QStringLiteral("ClipSavePath"), QStringLiteral("/new/"))});
    QCOMPARE(fetched->GetValue(), QStringLiteral("/old/"));
    QCOMPARE(*store.GetValueByIndex(CSettingsManager::ClipSavePath), QStringLiteral("/new/"));
    // Handing the same pointer in twice must not make it owned twice (ASan would report it).
    CSettings* current = store.GetSettingByIndex(CSettingsManager::ClipSavePath);
    store.SetAllSettings({current, current});
    store.Clear();
    QCOMPARE(store.Count(), 0);
}

void TestSettings::saveSettingsUpdatesStoreOnlyAfterTheWrite()
{
    QTemporaryDir dir;
    const QString path = WriteFile(dir, kSixKeys);
    CSettingsManager store;
    QVERIFY(store.ReadSettings(path));
    CSettings* clip = store.GetSettingByIndex(CSettingsManager::ClipSavePath);

    Entries edited = Held(store);
    edited[CSettingsManager::ClipSavePath].second = QStringLiteral("/mnt/usb/clips/");
    QVERIFY(store.SaveSettings(edited, path));
    QCOMPARE(Held(store), edited);
    // The store's own item was updated in place, so readers holding it see the new folder.
    QCOMPARE(store.GetSettingByIndex(CSettingsManager::ClipSavePath), clip);
    QCOMPARE(clip->GetValue(), QStringLiteral("/mnt/usb/clips/"));

    CSettingsManager back;
    QVERIFY(back.ReadSettings(path));
    QCOMPARE(Held(back), edited);
}

void TestSettings::failedSaveLeavesOldFileAndStore()
{
    QTemporaryDir dir;
    const QString path = WriteFile(dir, kSixKeys);
    CSettingsManager store;
    QVERIFY(store.ReadSettings(path));
    const Entries before = Held(store);

    // A value the file cannot hold (a control character) makes the write fail half-way.
    Entries edited = before;
    edited[CSettingsManager::CaptureSavePath].second = QStringLiteral("/snap\x01/");
    edited[CSettingsManager::ClipSavePath].second = QStringLiteral("/elsewhere/");
    QVERIFY(!store.SaveSettings(edited, path));
    QCOMPARE(ReadBytes(path), kSixKeys);
    QCOMPARE(Held(store), before);

    // The same through WriteSettings after an edit in place: the old file stays whole.
    store.GetSettingByIndex(CSettingsManager::CaptureSavePath)->SetValue(QStringLiteral("/bad\x02/"));
    QVERIFY(!store.WriteSettings(path));
    QCOMPARE(ReadBytes(path), kSixKeys);

    // A folder that cannot hold the file: nothing is written, the store stays.
    const QString blocker = dir.filePath(QStringLiteral("plainfile"));
    QFile(blocker).open(QIODevice::WriteOnly);
    QVERIFY(!store.SaveSettings(before, blocker + QStringLiteral("/Settings.xml")));
    QCOMPARE(store.GetSettingByIndex(CSettingsManager::CaptureSavePath)->GetValue(), QStringLiteral("/bad\x02/"));
}

void TestSettings::writeIntoMissingFolderCreatesIt()
{
    QTemporaryDir dir;
    CSettingsManager store;
    const QString path = dir.filePath(QStringLiteral("config/Varpen/Settings.xml"));
    QVERIFY(store.SaveSettings({{"CaptureSaveType", "1"}}, path));
    CSettingsManager back;
    QVERIFY(back.ReadSettings(path));
    QCOMPARE(*back.GetValueByIndex(CSettingsManager::CaptureSaveType), QStringLiteral("1"));
}

void TestSettings::workersReadWhileTheOperatorSaves()
{
    // Engine threads read folders and package sizes while the settings page saves: every read
    // sees one whole value, old or new, never a torn or freed one (run under the sanitizers).
    QTemporaryDir dir;
    const QString path = dir.filePath(QStringLiteral("Settings.xml"));
    CSettingsManager store;
    QVERIFY(store.SaveSettings({{"ClipPackageSize", "0"}, {"ClipSavePath", "/a/"}}, path));
    std::atomic<bool> stop{false};
    std::atomic<int> bad{0};
    std::vector<std::thread> readers;
    for (int i = 0; i < 3; ++i) {
        readers.emplace_back([&] {
            while (!stop.load()) {
                const std::optional<QString> value = store.GetValueByIndex(CSettingsManager::ClipSavePath);
                if (CSettings* item = store.GetSettingByIndex(CSettingsManager::ClipPackageSize)) {
                    const QString size = item->GetValue();
                    if (size != QLatin1String("0") && size != QLatin1String("1"))
                        ++bad;
                }
                if (value && *value != QLatin1String("/a/") && *value != QLatin1String("/bb/"))
                    ++bad;
            }
        });
    }
    for (int round = 0; round < 60; ++round) {
        const bool odd = round % 2;
        QVERIFY(
            store.SaveSettings({{"ClipPackageSize", odd ? "1" : "0"}, {"ClipSavePath", odd ? "/bb/" : "/a/"}}, path));
        QVector<CSettings*> all;
        store.GetAllSettings(all);
        all[CSettingsManager::ClipSavePath] = new CSettings(QStringLiteral("ClipSavePath"), QStringLiteral("/a/"));
        store.SetAllSettings(all);
    }
    stop = true;
    for (auto& reader : readers)
        reader.join();
    QCOMPARE(bad.load(), 0);
}

QTEST_GUILESS_MAIN(TestSettings)
#include "tst_settings.moc"
