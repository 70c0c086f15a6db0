#include "app/ClientSetup.h"

#include <QFile>
#include <QPixmap>
#include <QLibraryInfo>
#include <QTemporaryDir>
#include <QTest>

namespace {

QString BuildDir()
{
    return qEnvironmentVariable("VARPEN_BUILD_DIR");
}

}  // namespace

class TestLanguages : public QObject {
    Q_OBJECT
private slots:
    void initTestCase();
    void currentLanguage_data();
    void currentLanguage();
    void bothLanguagesTranslate();
    void missingProgramFilesLeaveEnglishOnly();
    void setupEntriesAndKeys();
};

void TestLanguages::initTestCase()
{
    QVERIFY2(QFile::exists(BuildDir() + "/bin/translations/varpen_zh.qm"), "translations not built");
    QVERIFY(QFile::exists(QLibraryInfo::path(QLibraryInfo::TranslationsPath) + "/qtbase_zh_CN.qm"));
}

void TestLanguages::currentLanguage_data()
{
    QTest::addColumn<QByteArray>("setup");  // empty: no Setup.xml at all
    QTest::addColumn<bool>("qtFilePresent");
    QTest::addColumn<int>("expectedId");
    QTest::addColumn<QLocale::Language>("language");

    const auto file = [](const char* translator, const char* version) {
        QByteArray xml = "<?xml version=\"1.0\"?><Configs>";
        if (translator)
            xml += QByteArray("<Translator><Value>") + translator + "</Value></Translator>";
        xml += "<LogLevel><Value>3</Value></LogLevel>";
        if (version)
            xml += QByteArray("<VersionType><Value>") + version + "</Value></VersionType>";
        return xml + "</Configs>";
    };
    QTest::newRow("Chinese, plain") << file("1", "1") << true << 1 << QLocale::Chinese;
    QTest::newRow("Chinese, branded") << file("1", "0") << true << 3 << QLocale::Chinese;
    QTest::newRow("Chinese without the toolkit file") << file("1", "1") << false << 0 << QLocale::English;
    QTest::newRow("English, plain") << file("0", "1") << true << 0 << QLocale::English;
    QTest::newRow("English, no version") << file("0", nullptr) << true << 2 << QLocale::English;
    QTest::newRow("id 3 directly") << file("3", "1") << true << 3 << QLocale::Chinese;
    QTest::newRow("unknown id") << file("7", "1") << true << 0 << QLocale::English;
    QTest::newRow("only the root") << QByteArray("<Configs/>") << true << 2 << QLocale::English;
    QTest::newRow("no file") << QByteArray() << true << 2 << QLocale::English;
    QTest::newRow("garbage") << QByteArray("\xff\xfe garbage") << true << 2 << QLocale::English;
    QTest::newRow("truncated after Translator")
        << QByteArray("<Configs><Translator><Value>1</Value></Translator><VersionType><Val") << true << 3
        << QLocale::Chinese;
    QTest::newRow("Translator without Value keeps VersionType its own")
        << QByteArray("<Configs><Translator></Translator><VersionType><Value>1</Value></VersionType></Configs>") << true
        << 0 << QLocale::English;
}

void TestLanguages::currentLanguage()
{
    QFETCH(QByteArray, setup);
    QFETCH(bool, qtFilePresent);
    QFETCH(int, expectedId);
    QFETCH(QLocale::Language, language);

    QTemporaryDir dir;
    CClientConfigManager configs;
    const QString setupPath = dir.filePath("Setup.xml");
    if (!setup.isEmpty()) {
        QFile file(setupPath);
        QVERIFY(file.open(QIODevice::WriteOnly));
        file.write(setup);
    }
    QCOMPARE(configs.LoadConfig(setupPath), !setup.isEmpty());

    QTemporaryDir emptyQtDir;
    const QString qtDir = qtFilePresent ? QLibraryInfo::path(QLibraryInfo::TranslationsPath) : emptyQtDir.path();
    CClientLanguageManager languages(&configs, {BuildDir() + "/bin/translations"}, qtDir);
    QCOMPARE(languages.Count(), qtFilePresent ? 4 : 2);
    const ClientLanguageProperty* current = languages.GetCurrentLanguage();
    QVERIFY(current);
    QCOMPARE(current->GetId(), expectedId);
    QCOMPARE(current->GetLocale().language(), language);
    QVERIFY(current->GetSplash().isNull());
}

void TestLanguages::bothLanguagesTranslate()
{
    CClientConfigManager configs;
    CClientLanguageManager languages(&configs, {"/nonexistent", BuildDir() + "/bin/translations"},
                                     QLibraryInfo::path(QLibraryInfo::TranslationsPath));
    const ClientLanguageProperty* zh = languages.FindLanguage(CClientLanguageManager::Chinese);
    const ClientLanguageProperty* en = languages.FindLanguage(CClientLanguageManager::English);
    QVERIFY(zh && en);
    QCOMPARE(zh->GetLocale(), QLocale(QLocale::Chinese, QLocale::China));
    QCOMPARE(en->GetLocale(), QLocale(QLocale::English, QLocale::UnitedStates));

    QCOMPARE(zh->GetAppTranslator()->translate("COstraApplication", "Software is already running."),
             QStringLiteral("软件已在运行。"));
    QCOMPARE(zh->GetAppTranslator()->translate("COstraApplication", "The least resolution is 1024*768."),
             QStringLiteral("最低分辨率为1024*768。"));
    QCOMPARE(zh->GetQtTranslator()->translate("QPlatformTheme", "OK"), QStringLiteral("确定"));
    QVERIFY(!zh->GetAppTranslator()->isEmpty());
    QVERIFY(!en->GetAppTranslator()->isEmpty());
    const QString english = en->GetAppTranslator()->translate("COstraApplication", "Software is already running.");
    QVERIFY(english.isEmpty() || english == QStringLiteral("Software is already running."));
}

void TestLanguages::missingProgramFilesLeaveEnglishOnly()
{
    QTemporaryDir empty;
    CClientConfigManager configs;
    QTemporaryDir dir;
    QFile file(dir.filePath("Setup.xml"));
    QVERIFY(file.open(QIODevice::WriteOnly));
    file.write(
        "<Configs><Translator><Value>1</Value></Translator><VersionType><Value>1</Value></VersionType></Configs>");
    file.close();
    QVERIFY(configs.LoadConfig(file.fileName()));
    CClientLanguageManager languages(&configs, {empty.path()}, QLibraryInfo::path(QLibraryInfo::TranslationsPath));
    QCOMPARE(languages.Count(), 2);
    QVERIFY(!languages.FindLanguage(CClientLanguageManager::Chinese));
    QCOMPARE(languages.GetCurrentLanguage()->GetId(), 0);
    QVERIFY(languages.GetCurrentLanguage()->GetAppTranslator());
}

void TestLanguages::setupEntriesAndKeys()
{
    QCOMPARE(CClientConfigManager::GetKeyName(0), QStringLiteral("Translator"));
    QCOMPARE(CClientConfigManager::GetKeyName(1), QStringLiteral("LogLevel"));
    QCOMPARE(CClientConfigManager::GetKeyName(2), QStringLiteral("VersionType"));
    QCOMPARE(CClientConfigManager::GetKeyName(3), QString());

    QTemporaryDir dir;
    QFile file(dir.filePath("Setup.xml"));
    QVERIFY(file.open(QIODevice::WriteOnly));
    file.write("<Configs><LogLevel><Value>5</Value></LogLevel><Extra/><LogLevel><Value>9</Value></LogLevel></Configs>");
    file.close();
    CClientConfigManager configs;
    QVERIFY(configs.LoadConfig(file.fileName()));
    QVERIFY(configs.LoadConfig(file.fileName()));  // appends
    QCOMPARE(configs.Count(), 6);
    QCOMPARE(configs.GetConfig(CClientConfigManager::LogLevel)->GetValue(), QStringLiteral("5"));
    QVERIFY(!configs.GetConfig(CClientConfigManager::Translator));
    configs.ClearConfigs();
    QCOMPARE(configs.Count(), 0);
    QVERIFY(!configs.LoadConfig(dir.filePath("absent.xml")));
}

QTEST_MAIN(TestLanguages)
#include "tst_languages.moc"
