#include "app/ClientSetup.h"

#include "app/CommonUtil.h"
#include "app/XmlEntryFile.h"

#include <QFileInfo>
#include <QLibraryInfo>

namespace {

const char* const kSetupKeys[CClientConfigManager::KeyCount] = {"Translator", "LogLevel", "VersionType"};

const char* const kSplashImages[] = {":images/Loading_bg_English.png", ":images/Loading_bg_Chinese.png",
                                     ":images/Loading_bg_English_Zelt.png", ":images/Loading_bg_Chinese_Zelt.png"};

}  // namespace

// ------------------------------------------------------------------------------------------

QString CClientConfigManager::GetKeyName(int index)
{
    return EntryKeyName(kSetupKeys, index);
}

bool CClientConfigManager::LoadConfig(const QString& path)
{
    bool refused = false;
    const std::optional<XmlEntries> entries =
        ReadXmlEntryFile(path, QStringLiteral("Configs"), EntryKeyList(kSetupKeys), &refused);
    if (refused)
        NoticeRefusedEntryFile(path);
    if (!entries)
        return false;
    for (const auto& [name, value] : *entries) {
        auto entry = std::make_unique<ClientConfig>();
        entry->SetName(name);
        entry->SetValue(value);
        m_configs.push_back(std::move(entry));
    }
    return true;
}

ClientConfig* CClientConfigManager::GetConfig(int index) const
{
    const QString key = GetKeyName(index);
    if (key.isEmpty())
        return nullptr;
    for (const auto& entry : m_configs) {
        if (entry->GetName() == key)
            return entry.get();
    }
    return nullptr;
}

int CClientConfigManager::GetIntValue(int index, int fallback) const
{
    const ClientConfig* entry = GetConfig(index);
    return entry ? entry->GetValue().toInt() : fallback;
}

void CClientConfigManager::ClearConfigs()
{
    m_configs.clear();
}

// ------------------------------------------------------------------------------------------

ClientLanguageProperty::~ClientLanguageProperty()
{
    // The translators have no parent: this property owns them.
    std::unique_ptr<QTranslator> app(m_appTranslator.data());
    std::unique_ptr<QTranslator> qt(m_qtTranslator.data());
}

CClientLanguageManager::CClientLanguageManager(const CClientConfigManager* setup, QStringList appTranslationDirs,
                                               QString qtTranslationDir)
    : m_setup(setup), m_appDirs(std::move(appTranslationDirs)), m_qtDir(std::move(qtTranslationDir))
{
    if (!m_qtDir.isEmpty() && !m_qtDir.endsWith(QLatin1Char('/')))
        m_qtDir += QLatin1Char('/');
    for (int id = English; id <= ChineseBranded; ++id)
        LoadLanguage(id);
}

CClientLanguageManager::~CClientLanguageManager() = default;

QString CClientLanguageManager::FindAppFile(const QString& fileName) const
{
    for (QString dir : m_appDirs) {
        if (!dir.endsWith(QLatin1Char('/')))
            dir += QLatin1Char('/');
        if (QFileInfo::exists(dir + fileName))
            return dir + fileName;
    }
    return m_appDirs.isEmpty() ? fileName : m_appDirs.first() + QLatin1Char('/') + fileName;
}

bool CClientLanguageManager::LoadLanguage(int id)
{
    if (id < English || id > ChineseBranded)
        return false;
    auto property = std::make_unique<ClientLanguageProperty>();
    property->m_id = id;
    auto appTranslator = std::make_unique<QTranslator>();
    auto qtTranslator = std::make_unique<QTranslator>();
    bool result = true;
    if (id == English || id == EnglishBranded) {
        // English is always offered: without its file the source texts show as they are.
        const QString file = FindAppFile(QStringLiteral("varpen_en.qm"));
        (void)appTranslator->load(file);
        (void)qtTranslator->load(file);
        property->m_locale = QLocale(QLocale::English, QLocale::UnitedStates);
    } else {
        result = appTranslator->load(FindAppFile(QStringLiteral("varpen_zh.qm"))) &&
                 qtTranslator->load(m_qtDir + QStringLiteral("qtbase_zh_CN.qm"));
        property->m_locale = QLocale(QLocale::Chinese, QLocale::China);
    }
    // The splash images are not compiled in; the pixmap stays null when they are absent.
    property->m_splashImage = QString::fromLatin1(kSplashImages[id]);
    if (!result)
        return false;
    property->m_appTranslator = appTranslator.release();
    property->m_qtTranslator = qtTranslator.release();
    m_languages.push_back(std::move(property));
    return true;
}

ClientLanguageProperty* CClientLanguageManager::FindLanguage(int id) const
{
    for (const auto& language : m_languages) {
        if (language->m_id == id)
            return language.get();
    }
    return nullptr;
}

ClientLanguageProperty* CClientLanguageManager::GetCurrentLanguage() const
{
    const int t = m_setup ? m_setup->GetIntValue(CClientConfigManager::Translator) : 0;
    const int v = m_setup ? m_setup->GetIntValue(CClientConfigManager::VersionType) : 0;
    // The "Translator" value is the language id; a version type of 0 takes its branded form.
    int id = t;
    if (t == English)
        id = v != 0 ? English : EnglishBranded;
    else if (t == Chinese)
        id = v != 0 ? Chinese : ChineseBranded;
    if (ClientLanguageProperty* language = FindLanguage(id))
        return language;
    return FindLanguage(English);
}

// ------------------------------------------------------------------------------------------

CClientConfigManager* GetClientSetup()
{
    static const std::unique_ptr<CClientConfigManager> setup = std::make_unique<CClientConfigManager>();
    return setup.get();
}

CClientLanguageManager* GetLanguageManager()
{
    static const std::unique_ptr<CClientLanguageManager> languages = std::make_unique<CClientLanguageManager>(
        GetClientSetup(), CCommonUtil::GetTranslationDirs(), QLibraryInfo::path(QLibraryInfo::TranslationsPath));
    return languages.get();
}
