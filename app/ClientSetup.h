#pragma once

#include <QLocale>
#include <QPointer>
#include <QString>
#include <QStringList>
#include <QTranslator>
#include <QVector>

#include <memory>
#include <vector>

class QPixmap;

// One entry of "Setup.xml".
class ClientConfig {
public:
    virtual ~ClientConfig() = default;
    void SetName(const QString& name) { m_name = name; }
    void SetValue(const QString& value) { m_value = value; }
    QString GetName() const { return m_name; }
    QString GetValue() const { return m_value; }

private:
    QString m_name;
    QString m_value;
};

// The client setup list: the entries of "Setup.xml" in file order.
class CClientConfigManager {
public:
    enum Key { Translator = 0, LogLevel = 1, VersionType = 2, KeyCount = 3 };

    // Appends what the file holds. False only when the file cannot be opened; a damaged file
    // keeps the entries read before the fault.
    bool LoadConfig(const QString& path);
    static QString GetKeyName(int index);
    ClientConfig* GetConfig(int index) const;
    // The integer value of a key, `fallback` when it is absent.
    int GetIntValue(int index, int fallback = 0) const;
    void ClearConfigs();
    int Count() const { return int(m_configs.size()); }

private:
    std::vector<std::unique_ptr<ClientConfig>> m_configs;
};

// One language the program can show, with its two translators.
class ClientLanguageProperty {
public:
    ClientLanguageProperty() = default;
    virtual ~ClientLanguageProperty();
    ClientLanguageProperty(const ClientLanguageProperty&) = delete;
    ClientLanguageProperty& operator=(const ClientLanguageProperty&) = delete;

    int GetId() const { return m_id; }
    QLocale GetLocale() const { return m_locale; }
    QTranslator* GetAppTranslator() const { return m_appTranslator; }
    QTranslator* GetQtTranslator() const { return m_qtTranslator; }
    // The splash picture of the language (its images are not compiled in: a null pixmap).
    // Pictures need QtGui, so this is defined with the GUI part of the foundation
    // (app/gui/CommonUtilGui.cpp).
    QPixmap GetSplash() const;

private:
    friend class CClientLanguageManager;
    int m_id = -1;
    QLocale m_locale;
    QPointer<QTranslator> m_appTranslator;
    QPointer<QTranslator> m_qtTranslator;
    QString m_splashImage;  // resource name of the splash picture
};

// The languages of the program, all loaded when the manager is built.
class CClientLanguageManager {
public:
    enum LanguageId { English = 0, Chinese = 1, EnglishBranded = 2, ChineseBranded = 3 };

    // `appTranslationDirs`: folders searched for varpen_en.qm and varpen_zh.qm (the first that
    // holds the file wins); `qtTranslationDir`: the toolkit's own translations.
    // `setup`: the setup list that chooses the current language.
    CClientLanguageManager(const CClientConfigManager* setup, QStringList appTranslationDirs, QString qtTranslationDir);
    ~CClientLanguageManager();
    CClientLanguageManager(const CClientLanguageManager&) = delete;
    CClientLanguageManager& operator=(const CClientLanguageManager&) = delete;

    bool LoadLanguage(int id);
    ClientLanguageProperty* FindLanguage(int id) const;
    // The language "Setup.xml" chooses; English when that one is not available. Never null.
    ClientLanguageProperty* GetCurrentLanguage() const;
    int Count() const { return int(m_languages.size()); }

private:
    QString FindAppFile(const QString& fileName) const;

    const CClientConfigManager* m_setup;
    QStringList m_appDirs;
    QString m_qtDir;
    std::vector<std::unique_ptr<ClientLanguageProperty>> m_languages;
};

// The two process-wide objects, built on first use and kept to process exit.
CClientConfigManager* GetClientSetup();
CClientLanguageManager* GetLanguageManager();
