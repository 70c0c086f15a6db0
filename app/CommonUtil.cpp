#include "app/CommonUtil.h"

#include "platform/rtk/LocalTime.h"

#include "app/FreeSpaceCache.h"
#include "app/SettingsManager.h"
#include "platform/rtk/rtk.h"
#include "platform/system/system.h"

#include <QCoreApplication>
#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QLocale>
#include <QMimeData>
#include <QRegularExpression>
#include <QStandardPaths>
#include <QStringDecoder>
#include <QUrl>

#include <cstdlib>
#include <cstring>

// ------------------------------------------------------------------------------------------
// Paths

QString CCommonUtil::GetAppDirPath()
{
    return QCoreApplication::applicationDirPath() + QLatin1Char('/');
}

QString CCommonUtil::GetAbsolutePath(const QString& path)
{
    if (QFileInfo(path).isAbsolute())
        return path;
    return GetAppDirPath() + path;
}

QString CCommonUtil::GetConfigDirPath()
{
    QString dir = qEnvironmentVariable("VARPEN_CONFIG_DIR");
    if (dir.isEmpty()) {
        const QFileInfo appDir(QCoreApplication::applicationDirPath());
        if (appDir.isDir() && appDir.isWritable())
            dir = appDir.absoluteFilePath();
        else
            dir = QDir::homePath() + QStringLiteral("/.config/Varpen");
    }
    if (!dir.endsWith(QLatin1Char('/')))
        dir += QLatin1Char('/');
    return dir;
}

QString CCommonUtil::GetConfigFilePath(const QString& fileName)
{
    return GetConfigDirPath() + fileName;
}

QStringList CCommonUtil::GetTranslationDirs()
{
    return {GetAppDirPath() + QStringLiteral("translations/"),
            QDir::cleanPath(GetAppDirPath() + QStringLiteral("../share/varpen/translations")) + QLatin1Char('/'),
            QStringLiteral("/usr/share/varpen/translations/")};
}

bool CCommonUtil::IsWindowsDrivePath(const QString& path)
{
    static const QRegularExpression drive(QStringLiteral("^[A-Za-z]:([/\\\\]|$)"));
    return drive.match(path).hasMatch();
}

QString CCommonUtil::GetDefaultOutputDir(const QString& sub)
{
    QString movies = QStandardPaths::writableLocation(QStandardPaths::MoviesLocation);
    if (movies.isEmpty())
        movies = QDir::homePath() + QStringLiteral("/Videos");
    if (sub.isEmpty())
        return movies + QStringLiteral("/Varpen/");
    return movies + QStringLiteral("/Varpen/") + sub + QLatin1Char('/');
}

QString CCommonUtil::EffectiveSavePath(const QString& stored, const QString& defaultSub)
{
    if (stored.trimmed().isEmpty() || IsWindowsDrivePath(stored))
        return GetDefaultOutputDir(defaultSub);
    return stored;
}

QString CCommonUtil::GetOutputSavePath(int settingIndex)
{
    const std::optional<QString> stored = CSettingsManager::Instance()->GetValueByIndex(settingIndex);
    QString folder = EffectiveSavePath(stored.value_or(QString()), QString());
    if (!folder.endsWith(QLatin1Char('/')))
        folder += QLatin1Char('/');
    return folder;
}

// ------------------------------------------------------------------------------------------
// Code page

QString CCommonUtil::LocalToQString(const QByteArray& text)
{
    QStringDecoder utf8(QStringDecoder::Utf8, QStringDecoder::Flag::Stateless);
    QString decoded = utf8.decode(text);
    if (!utf8.hasError())
        return decoded;
    QStringDecoder gb("GB18030");
    if (gb.isValid())
        return gb.decode(text);
    return decoded;
}

QString CCommonUtil::LocalToQString(const char* text, bool)
{
    if (!text)
        return QString();
    return LocalToQString(QByteArray(text));
}

QByteArray CCommonUtil::QStringToLocal(const QString& text, bool)
{
    return text.toLocal8Bit();
}

std::string CCommonUtil::QStringToStdLocal(const QString& text)
{
    return text.toLocal8Bit().toStdString();
}

// ------------------------------------------------------------------------------------------
// Files and names

QStringList CCommonUtil::GetMimeLocalFiles(const QMimeData* data)
{
    QStringList files;
    if (!data)
        return files;
    for (const QUrl& url : data->urls()) {
        const QString file = url.toLocalFile();
        if (!file.isEmpty())
            files.append(file);
    }
    return files;
}

bool CCommonUtil::IsLegalFileName(const QString& text)
{
    static const QRegularExpression illegal = [] {
        const QStringList chars = {"\\", "/", ":", "*", "?", "\"", "<", ">", "|", "'"};
        QStringList escaped;
        for (const QString& c : chars)
            escaped.append(QRegularExpression::escape(c));
        return QRegularExpression(QLatin1Char('(') + escaped.join(QLatin1Char('|')) + QLatin1Char(')'));
    }();
    return !illegal.match(text).hasMatch();
}

// ------------------------------------------------------------------------------------------
// Sizes

void CCommonUtil::ScaleKeepAspect(int srcW, int srcH, int boxW, int boxH, int* outW, int* outH)
{
    int w = boxW;
    int h = boxH;
    if (srcW >= 1 && srcH > 0) {
        const qint64 fitW = qint64(srcW) * boxH / srcH;
        if (boxW <= fitW) {
            w = boxW;
            h = int(qint64(srcH) * boxW / srcW);
        } else {
            w = int(fitW);
            h = boxH;
        }
    }
    if (outW)
        *outW = w;
    if (outH)
        *outH = h;
}

QString CCommonUtil::FormatSize(quint64 bytes)
{
    const QLocale locale;
    constexpr quint64 KB = 1024;
    constexpr quint64 MB = KB * 1024;
    constexpr quint64 GB = MB * 1024;
    constexpr quint64 TB = GB * 1024;
    if (bytes >= TB)
        return QStringLiteral("%1 TB").arg(locale.toString(double(bytes) / double(TB), 'f', 3));
    if (bytes >= GB)
        return QStringLiteral("%1 GB").arg(locale.toString(double(bytes) / double(GB), 'f', 2));
    if (bytes >= MB)
        return QStringLiteral("%1 MB").arg(locale.toString(double(bytes) / double(MB), 'f', 1));
    if (bytes >= KB)
        return QStringLiteral("%1 KB").arg(locale.toString(bytes / KB));
    return QString::number(bytes);
}

// ------------------------------------------------------------------------------------------
// Checks and helpers

bool CCommonUtil::IsValidIPv4(const QString& text)
{
    const QStringList parts = text.split(QLatin1Char('.'));
    if (parts.size() != 4)
        return false;
    for (int i = 0; i < 4; ++i) {
        bool ok = false;
        const int value = parts[i].toInt(&ok);
        if (!ok || parts[i].isEmpty() || parts[i].size() > 3 || value < 0 || value > 255)
            return false;
        if (i == 3 && value == 0)
            return false;
    }
    return true;
}

bool CCommonUtil::IsValidIPv6(const QString& text)
{
    static const QRegularExpression v6(
        QStringLiteral("^(([0-9A-Fa-f]{1,4}:){7}[0-9A-Fa-f]{1,4}|(([0-9A-Fa-f]{1,4}:){0,6}[0-9A-Fa-f]{1,4})?::"
                       "(([0-9A-Fa-f]{1,4}:){0,6}[0-9A-Fa-f]{1,4})?)$"));
    if (!v6.match(text).hasMatch())
        return false;
    // "::" stands for at least one group: at most seven groups may be written beside it.
    return !text.contains(QStringLiteral("::")) || text.count(QLatin1Char(':')) <= 7;
}

bool CCommonUtil::IsValidIPAddress(const QString& text)
{
    return IsValidIPv4(text) || IsValidIPv6(text);
}

bool CCommonUtil::IsValidSubnetMask(const QString& text)
{
    static const QRegularExpression mask(
        QRegularExpression::anchoredPattern(QStringLiteral("(254|252|248|240|224|192|128|0)\\.0\\.0\\.0|"
                                                           "255\\.(254|252|248|240|224|192|128|0)\\.0\\.0|"
                                                           "255\\.255\\.(254|252|248|240|224|192|128|0)\\.0|"
                                                           "255\\.255\\.255\\.(254|252|248|240|224|192|128|0)")));
    return mask.match(text).hasMatch();
}

bool CCommonUtil::IsMulticastIP(const QString& text)
{
    bool ok = false;
    const int first = text.section(QLatin1Char('.'), 0, 0).toInt(&ok);
    return ok && first >= 224 && first <= 239;
}

bool CCommonUtil::IsValidMac(const QString& text)
{
    static const QRegularExpression mac(QRegularExpression::anchoredPattern(
        QStringLiteral("[0-9A-Fa-f]{2}:[0-9A-Fa-f]{2}:[0-9A-Fa-f]{2}:[0-9A-Fa-f]{2}:[0-9A-Fa-f]{2}:[0-9A-Fa-f]{2}")));
    return mac.match(text).hasMatch();
}

QString CCommonUtil::AddQuotes(const QString& text)
{
    return QLatin1Char('"') + text + QLatin1Char('"');
}

bool CCommonUtil::HasGBKChar(const QByteArray& bytes)
{
    for (int i = 0; i + 1 < bytes.size(); ++i) {
        const auto lead = static_cast<unsigned char>(bytes[i]);
        const auto trail = static_cast<unsigned char>(bytes[i + 1]);
        const bool gb2312 = lead >= 176 && lead <= 247 && trail >= 160 && trail <= 254;
        const bool gbk = lead >= 129 && lead <= 254 && trail >= 64 && trail <= 254;
        if (gb2312 || gbk)
            return true;
    }
    return false;
}

bool CCommonUtil::IsDayInMonth(int month, int day)
{
    if (month == 2 && (day == 30 || day == 31))
        return false;
    if ((month == 4 || month == 6 || month == 9 || month == 11) && day == 31)
        return false;
    return true;
}

QString CCommonUtil::GetEventTypeName(QEvent::Type type)
{
    switch (type) {
    case QEvent::None:
        return QStringLiteral("None");
    case QEvent::MouseButtonPress:
        return QStringLiteral("MouseButtonPress");
    case QEvent::MouseButtonRelease:
        return QStringLiteral("MouseButtonRelease");
    case QEvent::MouseButtonDblClick:
        return QStringLiteral("MouseButtonDblClick");
    case QEvent::MouseMove:
        return QStringLiteral("MouseMove");
    case QEvent::KeyPress:
        return QStringLiteral("KeyPress");
    case QEvent::KeyRelease:
        return QStringLiteral("KeyRelease");
    case QEvent::FocusIn:
        return QStringLiteral("FocusIn");
    case QEvent::FocusOut:
        return QStringLiteral("FocusOut");
    case QEvent::Enter:
        return QStringLiteral("Enter");
    case QEvent::Leave:
        return QStringLiteral("Leave");
    case QEvent::Paint:
        return QStringLiteral("Paint");
    case QEvent::Move:
        return QStringLiteral("Move");
    case QEvent::Resize:
        return QStringLiteral("Resize");
    case QEvent::Show:
        return QStringLiteral("Show");
    case QEvent::Hide:
        return QStringLiteral("Hide");
    case QEvent::WindowActivate:
        return QStringLiteral("WindowActivate");
    case QEvent::WindowDeactivate:
        return QStringLiteral("WindowDeactivate");
    case QEvent::Wheel:
        return QStringLiteral("Wheel");
    case QEvent::HoverEnter:
        return QStringLiteral("HoverEnter");
    case QEvent::HoverLeave:
        return QStringLiteral("HoverLeave");
    case QEvent::HoverMove:
        return QStringLiteral("HoverMove");
    default:
        return QString::number(int(type));
    }
}

bool CCommonUtil::MakeDir(const QString& path)
{
    if (!QDir().mkdir(path))
        return false;
    return QFile::setPermissions(path, QFileDevice::ReadOwner | QFileDevice::WriteOwner | QFileDevice::ExeOwner |
                                           QFileDevice::ReadUser | QFileDevice::WriteUser | QFileDevice::ExeUser |
                                           QFileDevice::ReadGroup | QFileDevice::WriteGroup | QFileDevice::ExeGroup |
                                           QFileDevice::ReadOther | QFileDevice::WriteOther | QFileDevice::ExeOther);
}

bool CCommonUtil::MakePath(const QString& path)
{
    return QDir().mkpath(path);
}

// ------------------------------------------------------------------------------------------
// Free functions

void MakeDirs(const char* path)
{
    if (!path)
        return;
    // "\" is an ordinary file-name character here; only "/" separates folders.
    const std::string text(path);
    for (std::size_t pos = text.find('/'); pos != std::string::npos; pos = text.find('/', pos + 1)) {
        if (pos == 0)
            continue;  // the root itself
        RTK_MakeDir(text.substr(0, pos).c_str());
    }
}

QString CCommonUtil::EscapeControlChars(const QString& text)
{
    QString out;
    out.reserve(text.size());
    for (const QChar c : text) {
        const char16_t u = c.unicode();
        if (u == '\\')
            out += QStringLiteral("\\\\");
        else if (u == '\t')
            out += QStringLiteral("\\t");
        else if (u == '\n')
            out += QStringLiteral("\\n");
        else if (u == '\r')
            out += QStringLiteral("\\r");
        else if (u < 0x20 || (u >= 0x7F && u < 0xA0))
            out += QStringLiteral("\\x%1").arg(unsigned(u), 2, 16, QLatin1Char('0'));
        else if (u == 0x2028 || u == 0x2029 || c.category() == QChar::Other_Format)
            out += QStringLiteral("\\u%1").arg(unsigned(u), 4, 16, QLatin1Char('0'));
        else
            out += c;
    }
    return out;
}

time_t ParseTimeString(const char* text)
{
    constexpr std::size_t kDigits = 14;
    if (!text || strnlen(text, kDigits) < kDigits)
        return -1;
    const auto field = [text](int from, int count) {
        char buffer[5] = {};
        std::memcpy(buffer, text + from, std::size_t(count));
        return std::atoi(buffer);
    };
    const rtk::LocalFields fields{field(0, 4), field(4, 2), field(6, 2), field(8, 2), field(10, 2), field(12, 2)};
    return time_t(rtk::LocalToTime(fields));
}

bool QueryDiskFreeSpace(const QString& path, quint64* freeToCaller, quint64* total)
{
    uint64_t freeBytes = 0;
    uint64_t totalBytes = 0;
    const bool ok = !path.isEmpty() && Sys_QueryFreeSpace(path.toLocal8Bit().constData(), &freeBytes, &totalBytes);
    if (freeToCaller)
        *freeToCaller = ok ? freeBytes : 0;
    if (total)
        *total = ok ? totalBytes : 0;
    return ok;
}

namespace {

bool TooLittle(float minGB, quint64 freeBytes)
{
    const float required = minGB * 1024.0f * 1024.0f * 1024.0f;
    return double(required) > double(freeBytes);
}

}  // namespace

bool CheckSavePathDiskSpace(float minGB, int settingIndex, QString path)
{
    if (settingIndex != -1)
        path = CCommonUtil::GetOutputSavePath(settingIndex);
    else if (CCommonUtil::IsWindowsDrivePath(path))
        return true;
    quint64 freeBytes = 0;
    if (!QueryDiskFreeSpace(path, &freeBytes, nullptr))
        freeBytes = 0;
    return TooLittle(minGB, freeBytes);
}

bool CheckSavePathDiskSpaceCached(float minGB, int settingIndex, QString path, bool unknownIsLow)
{
    if (settingIndex != -1)
        path = CCommonUtil::GetOutputSavePath(settingIndex);
    else if (CCommonUtil::IsWindowsDrivePath(path))
        return true;
    const CFreeSpaceCache::Reading reading = CFreeSpaceCache::Instance()->Read(path);
    if (!reading.known)
        return unknownIsLow;
    return TooLittle(minGB, reading.ok ? reading.freeBytes : 0);
}

float SavePathMinFreeGB(int settingIndex)
{
    return settingIndex == CSettingsManager::CaptureSavePath ? 0.5f : 2.0f;
}
