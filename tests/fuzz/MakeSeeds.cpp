// fuzz-seeds VARPEN_SAMPLE TEMPLATE OUT: writes the seeds of every fuzz target into OUT/<target>/
// from recordings that varpen-sample makes now (a local folder and small recorder-disk images
// with device logs), from the program's own settings writer and from the window-grid template.
// OUT is written anew on every run.
#include <QCoreApplication>
#include <QDir>
#include <QDirIterator>
#include <QFile>
#include <QProcess>
#include <QStringList>

#include <cstdio>
#include <vector>

#include "app/SettingsManager.h"
#include "platform/diskrec/diskrec.h"

namespace {

QString g_out;

bool Fail(const QString& text)
{
    std::fprintf(stderr, "fuzz-seeds: %s\n", qPrintable(text));
    return false;
}

bool WriteSeed(const QString& target, const QString& name, const QByteArray& bytes)
{
    QDir().mkpath(g_out + QLatin1Char('/') + target);
    QFile file(g_out + QLatin1Char('/') + target + QLatin1Char('/') + name);
    if (!file.open(QIODevice::WriteOnly) || file.write(bytes) != bytes.size())
        return Fail(file.fileName());
    return true;
}

bool ReadFile(const QString& path, QByteArray* bytes)
{
    QFile file(path);
    if (!file.open(QIODevice::ReadOnly))
        return Fail(QStringLiteral("cannot read ") + path);
    *bytes = file.readAll();
    return true;
}

bool RunSample(const QString& tool, const QStringList& args)
{
    QProcess process;
    process.setProcessChannelMode(QProcess::ForwardedErrorChannel);
    process.start(tool, args);
    if (!process.waitForFinished(300000) || process.exitStatus() != QProcess::NormalExit || process.exitCode() != 0)
        return Fail(QStringLiteral("varpen-sample %1 failed").arg(args.join(QLatin1Char(' '))));
    return true;
}

// Local index files, each behind the byte that tells the target its kind.
bool IndexSeeds(const QString& folder)
{
    int n = 0;
    QDirIterator it(folder + QStringLiteral("/RecordFile"), {QStringLiteral("index0*.bin")}, QDir::Files,
                    QDirIterator::Subdirectories);
    while (it.hasNext()) {
        const QString path = it.next();
        const char kind = path.endsWith(QLatin1String("index01.bin"))   ? '0'
                          : path.endsWith(QLatin1String("index02.bin")) ? '1'
                                                                        : '2';
        QByteArray bytes;
        if (!ReadFile(path, &bytes) ||
            !WriteSeed(QStringLiteral("fuzz_local_index"), QString::number(n++), QByteArray(1, kind) + bytes))
            return false;
    }
    return n > 0 || Fail(QStringLiteral("no index file in ") + folder);
}

// The device-log records of a disk image, as the disk layer delivers them.
bool LogSeeds(const QString& image)
{
    const QByteArray path = QFile::encodeName(image);
    const int handle = DR_FILE_FindLog(path.constData(), 3, 0, 0, nullptr, nullptr);
    if (handle < 0)
        return Fail(QStringLiteral("no device log on ") + image);
    QByteArray records;
    DR_LogRecord record{};
    while (DR_FILE_FindNextLog(handle, &record) == 1)
        records.append(reinterpret_cast<const char*>(&record), sizeof record);
    DR_FILE_FindLogClose(handle);
    if (records.isEmpty())
        return Fail(QStringLiteral("no device log on ") + image);
    return WriteSeed(QStringLiteral("fuzz_devicelog"), QStringLiteral("all"), records) &&
           WriteSeed(QStringLiteral("fuzz_devicelog"), QStringLiteral("one"), records.left(sizeof record));
}

bool SettingsSeeds()
{
    const SettingsEntries six{{QStringLiteral("CaptureSaveType"), QStringLiteral("0")},
                              {QStringLiteral("CaptureSavePath"), QStringLiteral("/home/operator/Videos/Varpen")},
                              {QStringLiteral("ClipPackageSize"), QStringLiteral("1")},
                              {QStringLiteral("ClipSavePath"), QString::fromUtf8("/media/录像/clips")},
                              {QStringLiteral("DownloadPackageSize"), QStringLiteral("0")},
                              {QStringLiteral("DownloadSavePath"), QString()}};
    QDir().mkpath(g_out + QStringLiteral("/fuzz_settings"));
    CSettingsManager store;
    if (!store.SaveSettings(six, g_out + QStringLiteral("/fuzz_settings/Settings.xml")))
        return Fail(QStringLiteral("cannot write Settings.xml"));
    // Nothing in the program writes "Setup.xml": this is its shape.
    return WriteSeed(QStringLiteral("fuzz_settings"), QStringLiteral("Setup.xml"),
                     "<?xml version=\"1.0\" encoding=\"UTF-8\"?>\n<Configs>\n"
                     "    <Translator>\n        <Value>1</Value>\n    </Translator>\n"
                     "    <LogLevel>\n        <Value>0</Value>\n    </LogLevel>\n"
                     "    <VersionType>\n        <Value>1</Value>\n    </VersionType>\n</Configs>\n");
}

// The template, and its first two layouts alone (a small start for the fuzzer).
bool TemplateSeeds(const QString& path)
{
    QByteArray bytes;
    if (!ReadFile(path, &bytes))
        return false;
    const QByteArray end = "</ElementConfig>";
    const qsizetype second = bytes.indexOf(end, bytes.indexOf(end) + 1);
    if (second < 0)
        return Fail(QStringLiteral("not a template: ") + path);
    return WriteSeed(QStringLiteral("fuzz_grid_template"), QStringLiteral("Default.xml"), bytes) &&
           WriteSeed(QStringLiteral("fuzz_grid_template"), QStringLiteral("two"),
                     bytes.left(second + end.size()) + "\n</Config>\n");
}

}  // namespace

int main(int argc, char** argv)
{
    QCoreApplication app(argc, argv);
    const QStringList args = app.arguments();
    if (args.size() != 4) {
        std::fprintf(stderr, "usage: fuzz-seeds VARPEN_SAMPLE TEMPLATE OUT\n");
        return 2;
    }
    const QString tool = args.at(1);
    g_out = args.at(3);
    const QString work = g_out + QStringLiteral("/recordings");
    if (!QDir(g_out).removeRecursively() || !QDir().mkpath(work)) {
        Fail(QStringLiteral("cannot make ") + work);
        return 1;
    }

    const QStringList small{QStringLiteral("--channels"),
                            QStringLiteral("1"),
                            QStringLiteral("--days"),
                            QStringLiteral("1"),
                            QStringLiteral("--segments-per-day"),
                            QStringLiteral("1"),
                            QStringLiteral("--segment-length"),
                            QStringLiteral("1")};
    bool ok =
        RunSample(tool, QStringList{QStringLiteral("folder"), work + QStringLiteral("/folder"),
                                    QStringLiteral("--channels"), QStringLiteral("2"), QStringLiteral("--days"),
                                    QStringLiteral("2"), QStringLiteral("--segments-per-day"), QStringLiteral("2"),
                                    QStringLiteral("--segment-length"), QStringLiteral("1")}) &&
        IndexSeeds(work + QStringLiteral("/folder"));
    // Small images of each layout, and damaged ones, whole as the disk target takes them.
    const QStringList images{QStringLiteral("plain"),
                             QStringLiteral("nvr"),
                             QStringLiteral("dvr"),
                             QStringLiteral("truncated"),
                             QStringLiteral("counts-past-end"),
                             QStringLiteral("offsets-past-end")};
    for (const QString& kind : images) {
        if (!ok)
            break;
        const QString image = work + QStringLiteral("/disk-%1.img").arg(kind);
        const bool layout = images.indexOf(kind) < 3;
        QByteArray bytes;
        ok = RunSample(tool, QStringList{QStringLiteral("disk"), image,
                                         layout ? QStringLiteral("--layout") : QStringLiteral("--broken"), kind,
                                         QStringLiteral("--logs"), QStringLiteral("20")} +
                                 small) &&
             ReadFile(image, &bytes) && WriteSeed(QStringLiteral("fuzz_diskimage"), kind, bytes);
    }
    ok = ok && LogSeeds(work + QStringLiteral("/disk-nvr.img")) && SettingsSeeds() && TemplateSeeds(args.at(2));
    return ok ? 0 : 1;
}
