#include "tools/varpen-sample/LocalFolder.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QSaveFile>
#include <cerrno>
#include <ctime>

#include <sys/stat.h>
#include <unistd.h>

namespace LocalFolder {
namespace {

void put16(QByteArray& b, int off, std::uint32_t v)
{
    b[off] = char(v & 0xFF);
    b[off + 1] = char((v >> 8) & 0xFF);
}
void put32(QByteArray& b, int off, std::uint32_t v)
{
    for (int i = 0; i < 4; ++i)
        b[off + i] = char((v >> (8 * i)) & 0xFF);
}

struct tm localTm(std::int64_t t)
{
    const time_t tt = time_t(t);
    struct tm tmv {};
    localtime_r(&tt, &tmv);
    return tmv;
}

void putTime(QByteArray& b, int off, std::int64_t t)
{
    const struct tm tmv = localTm(t);
    put16(b, off, std::uint32_t(tmv.tm_year + 1900));
    b[off + 2] = char(tmv.tm_mon + 1);
    b[off + 3] = char(tmv.tm_mday);
    b[off + 4] = char(tmv.tm_hour);
    b[off + 5] = char(tmv.tm_min);
    b[off + 6] = char(tmv.tm_sec);
}

}  // namespace

QByteArray indexHeader(std::uint32_t count)
{
    QByteArray b(8, '\0');
    put32(b, 0, count);
    return b;
}

QByteArray dateRecord(const QDate& date)
{
    QByteArray b(4, '\0');
    put16(b, 0, std::uint32_t(date.year()));
    b[2] = char(date.month());
    b[3] = char(date.day());
    return b;
}

QByteArray channelRecord(const ChannelRecord& c)
{
    QByteArray b(92, '\0');
    const QByteArray name = c.source_name.left(64);
    std::copy(name.begin(), name.end(), b.begin());
    put16(b, 64, std::uint32_t(c.source_number));
    b[66] = char(c.channel);
    return b;
}

QByteArray segmentRecord(std::int64_t start, std::int64_t end, std::uint32_t type)
{
    QByteArray b(44, '\0');
    putTime(b, 0, start);
    putTime(b, 8, end);
    put32(b, 16, type);
    return b;
}

std::int64_t localStamp(std::int64_t t)
{
    const struct tm a = localTm(t);
    return ((((std::int64_t(a.tm_year + 1900) * 100 + a.tm_mon + 1) * 100 + a.tm_mday) * 100 + a.tm_hour) * 100 +
            a.tm_min) *
               100 +
           a.tm_sec;
}

std::int64_t clockSetBackWithin(std::int64_t start, std::int64_t end)
{
    const long before = localTm(start).tm_gmtoff;
    if (localTm(end).tm_gmtoff >= before)
        return -1;
    std::int64_t lo = start, hi = end;  // offset(lo) == before, offset(hi) < before
    while (hi - lo > 1) {
        const std::int64_t mid = lo + (hi - lo) / 2;
        (localTm(mid).tm_gmtoff >= before ? lo : hi) = mid;
    }
    return hi;
}

QString dateFolderName(const QDate& date)
{
    return date.toString(QStringLiteral("yyyyMMdd"));
}

QString channelFolderName(const ChannelRecord& c)
{
    return QStringLiteral("%1_%2_%3").arg(QString::fromUtf8(c.source_name)).arg(c.source_number).arg(c.channel);
}

QString segmentFileName(std::int64_t start, std::int64_t end, std::uint32_t type)
{
    char buf[160];
    const struct tm a = localTm(start), z = localTm(end);
    std::snprintf(buf, sizeof buf, "%04d%02d%02d%02d%02d%02d_%04d%02d%02d%02d%02d%02d_%u.mp4", a.tm_year + 1900,
                  a.tm_mon + 1, a.tm_mday, a.tm_hour, a.tm_min, a.tm_sec, z.tm_year + 1900, z.tm_mon + 1, z.tm_mday,
                  z.tm_hour, z.tm_min, z.tm_sec, type);
    return QString::fromLatin1(buf);
}

bool writeFile(const QString& path, const QByteArray& bytes)
{
    if (!QDir().mkpath(QFileInfo(path).absolutePath()))
        return false;
    QSaveFile f(path);
    if (!f.open(QIODevice::WriteOnly))
        return false;
    if (f.write(bytes) != bytes.size())
        return false;
    return f.commit();
}

bool fileDamageNamed(const QString& name, FileDamage* damage)
{
    static const struct {
        const char* name;
        FileDamage damage;
    } kNames[] = {{"empty", FileDamage::Empty},
                  {"missing", FileDamage::Missing},
                  {"unreadable", FileDamage::Unreadable},
                  {"fifo", FileDamage::Fifo}};
    for (const auto& n : kNames) {
        if (name == QLatin1String(n.name)) {
            *damage = n.damage;
            return true;
        }
    }
    return false;
}

bool damageFile(const QString& path, FileDamage damage)
{
    const QByteArray native = QFile::encodeName(path);
    switch (damage) {
    case FileDamage::None:
        return true;
    case FileDamage::Empty:
        return ::truncate(native.constData(), 0) == 0;
    case FileDamage::Missing:
        return ::unlink(native.constData()) == 0;
    case FileDamage::Unreadable:
        return ::chmod(native.constData(), 0) == 0;
    case FileDamage::Fifo:
        return (::unlink(native.constData()) == 0 || errno == ENOENT) && ::mkfifo(native.constData(), 0644) == 0;
    }
    return false;
}

}  // namespace LocalFolder
