// The recorder-disk library against small images made by the image writer.
#include <QDir>
#include <QElapsedTimer>
#include <QFile>
#include <QSemaphore>
#include <QTest>

#include <pthread.h>
#include <sched.h>
#include <sys/stat.h>
#include <unistd.h>

#include <algorithm>
#include <atomic>
#include <chrono>
#include <condition_variable>
#include <fstream>
#include <functional>
#include <map>
#include <mutex>
#include <random>
#include <set>
#include <thread>

#include "platform/diskrec/DiskLayout.h"
#include "platform/rtk/rtk_test.h"
#include "tests/platform/diskrec/DiskFixture.h"

using namespace disktest;
using diskrec::BrokenImage;
using diskrec::DiskImageWriter;
using diskrec::ImageFile;

Q_DECLARE_METATYPE(BrokenImage)

namespace {

// Collects what a stream delivers, in order.
struct Collector {
    std::mutex mutex;
    std::vector<int> types;
    std::vector<uint8_t> header;
    std::vector<uint8_t> data;
    std::atomic<int> calls{0};
    std::atomic<int> handle{-1};
    // Test hooks, called on the stream's thread before the block is recorded.
    std::function<void(Collector&, int type)> hook;

    static void Callback(int handle, int type, unsigned char* bytes, unsigned size, void* user)
    {
        auto* self = static_cast<Collector*>(user);
        if (self->hook)
            self->hook(*self, type);
        std::lock_guard lock(self->mutex);
        self->types.push_back(type);
        auto& out = type == DR_BLOCK_HEADER ? self->header : self->data;
        out.insert(out.end(), bytes, bytes + size);
        ++self->calls;
    }

    size_t DataSize()
    {
        std::lock_guard lock(mutex);
        return data.size();
    }
};

// Counts the calls of many streams that stop themselves from their first callback.
struct SelfStopper {
    std::mutex mutex;
    std::condition_variable called;
    std::map<int, int> calls;  // by handle
    std::vector<int> results;  // of each DR_FILE_Stop

    static void Callback(int handle, int type, unsigned char*, unsigned, void* user)
    {
        auto* self = static_cast<SelfStopper*>(user);
        const int result = type == DR_BLOCK_HEADER ? DR_FILE_Stop(handle) : -1;
        std::lock_guard lock(self->mutex);
        ++self->calls[handle];
        if (type == DR_BLOCK_HEADER)
            self->results.push_back(result);
        self->called.notify_all();
    }
};

// Runs the calling thread, and every thread it starts meanwhile, on the one core it is on.
class OneCore {
public:
    OneCore()
    {
        saved_ = ::pthread_getaffinity_np(::pthread_self(), sizeof(old_), &old_) == 0;
        const int cpu = ::sched_getcpu();
        if (!saved_ || cpu < 0)
            return;
        cpu_set_t one;
        CPU_ZERO(&one);
        CPU_SET(cpu, &one);
        ::pthread_setaffinity_np(::pthread_self(), sizeof(one), &one);
    }
    ~OneCore()
    {
        if (saved_)
            ::pthread_setaffinity_np(::pthread_self(), sizeof(old_), &old_);
    }
    OneCore(const OneCore&) = delete;
    OneCore& operator=(const OneCore&) = delete;

private:
    cpu_set_t old_;
    bool saved_ = false;
};

struct Found {
    std::string name, start, end;
    uint32_t size = 0, type = 0;
};

// Runs one search; -1 in *handle_result when FindFile refused.
std::vector<Found> Search(const std::string& path, int channel, int type, int64_t from, int64_t to,
                          int* handle_result = nullptr)
{
    const DR_DateTime b = Dt(from), e = Dt(to);
    const int h = DR_FILE_FindFile(path.c_str(), channel, type, &b, &e);
    if (handle_result)
        *handle_result = h;
    std::vector<Found> out;
    if (h < 0)
        return out;
    DR_FindRecord r;
    int result;
    while ((result = DR_FILE_FindNextFile(h, &r)) != 0) {
        if (result != 1)
            qFatal("FindNextFile gave %d, not 1", result);
        out.push_back({r.name, r.start_time, r.end_time, r.size_bytes, r.record_type});
    }
    DR_FILE_FindClose(h);
    return out;
}

std::string TimeText(int64_t t)
{
    const DR_DateTime d = Dt(t);
    char text[32];
    std::snprintf(text, sizeof(text), "%04d%02d%02d%02d%02d%02d", d.year, d.month, d.day, d.hour, d.minute, d.second);
    return text;
}

bool WaitForEnd(int handle, int timeout_ms = 10000)
{
    QElapsedTimer timer;
    timer.start();
    while (timer.elapsed() < timeout_ms) {
        const int pos = DR_FILE_GetPos(handle);
        if (pos == DR_POS_DONE || pos == DR_POS_FAILED)
            return true;
        QTest::qWait(5);
    }
    return false;
}

const qint64 T0 = Local(2024, 1, 30, 10, 0, 0);

// A stream stopped from its own callback ends once that callback returns; the next stop from
// another thread joins its thread. Opens a stream of `file` and stops it from this thread.
void JoinStreamsStoppedInCallbacks(const std::string& file)
{
    Collector c;
    const int h = DR_FILE_GetStreamByFile(file.c_str(), 8, 0, &Collector::Callback, &c);
    if (h < 0 || DR_FILE_Stop(h) != 1)
        qFatal("no stream to stop");
}

// The files of the standard image; volume chosen by the caller.
std::vector<ImageFile> StandardFiles()
{
    return {
        MakeFile(1, 1, T0, T0 + 20),                                               // A
        MakeFile(1, 10, T0 + 20, T0 + 30),                                         // B
        MakeFile(1, 1, T0 + 30, T0 + 50),                                          // C
        MakeFile(1, 11, T0 + 60, T0 + 70),                                         // D, after a gap
        MakeFile(2, 2, T0, T0 + 10),                                               // E
        MakeFile(3, 1, Local(2024, 1, 31, 0, 0, 0), Local(2024, 1, 31, 0, 0, 5)),  // F
    };
}

bool WriteStandard(const std::string& path, const std::string& volume, int logs = 0, uint32_t generation = 1)
{
    DiskImageWriter writer;
    for (ImageFile& f : StandardFiles())
        writer.AddFile(volume, std::move(f));
    for (const DR_LogRecord& r : diskrec::MakeSampleLogs(logs, Local(2024, 1, 30, 0, 0, 0), 60))
        writer.AddLog(r);
    writer.SetGeneration(generation);
    std::string error;
    if (!writer.Write(path, &error))
        qWarning("%s", error.c_str());
    return QFile::exists(QString::fromStdString(path));
}

const char* const kNvr = "_NVR_DIR_\\Package000\\";
const char* const kDvr = "_DVR_DIR_\\Package000\\";

// The engine's way to find a disk's layout: the plain path, then the two recorder folders.
int LayoutOf(const std::string& path)
{
    const int64_t from = Local(2024, 1, 1, 0, 0, 0), to = Local(2024, 1, 31, 23, 59, 59);
    const std::string forms[] = {path, path + kNvr, path + kDvr};
    for (int i = 0; i < 3; ++i) {
        int h = -1;
        Search(forms[i], 1, 0, from, to, &h);
        if (h >= 0)
            return i;
    }
    return -1;
}

}  // namespace

class TestDiskRec : public QObject {
    Q_OBJECT

private:
    TempImages temp_;
    std::string plain_, nvr_, dvr_;

private slots:
    void initTestCase()
    {
        QVERIFY(temp_.dir.isValid());
        plain_ = temp_.Path("plain.img");
        nvr_ = temp_.Path("nvr.img");
        dvr_ = temp_.Path("dvr.img");
        QVERIFY(WriteStandard(plain_, "", 300));
        QVERIFY(WriteStandard(nvr_, kNvr, 300));
        QVERIFY(WriteStandard(dvr_, kDvr, 300));
    }

    void recorderPath_data()
    {
        QTest::addColumn<QString>("text");
        QTest::addColumn<bool>("ok");
        QTest::addColumn<int>("drive");
        QTest::addColumn<QString>("device");
        QTest::addColumn<QString>("volume");
        const QString nvr = QString::fromLatin1(kNvr), dvr = QString::fromLatin1(kDvr);
        QTest::newRow("drive") << "\\\\.\\PHYSICALDRIVE3" << true << 3 << ""
                               << "";
        QTest::newRow("drive nvr") << "\\\\.\\PHYSICALDRIVE12_NVR_DIR_\\Package000\\" << true << 12 << "" << nvr;
        QTest::newRow("drive slash dvr") << "//./PHYSICALDRIVE0/_DVR_DIR_/Package000/" << true << 0 << "" << dvr;
        QTest::newRow("image") << "/x/disk.img" << true << -1 << "/x/disk.img"
                               << "";
        QTest::newRow("image nvr") << "/x/disk.img_NVR_DIR_\\Package000\\" << true << -1 << "/x/disk.img" << nvr;
        QTest::newRow("image mixed sep") << "/x/disk.img_DVR_DIR_/Package000\\" << true << -1 << "/x/disk.img" << dvr;
        QTest::newRow("image slash suffix") << "/x/disk.img/_NVR_DIR_/Package000" << true << -1 << "/x/disk.img" << nvr;
        QTest::newRow("device") << "/dev/sdb" << true << -1 << "/dev/sdb"
                                << "";
        QTest::newRow("drive no digits") << "\\\\.\\PHYSICALDRIVE" << false << -1 << ""
                                         << "";
        QTest::newRow("drive junk") << "\\\\.\\PHYSICALDRIVE1x" << false << -1 << ""
                                    << "";
        QTest::newRow("drive huge") << "\\\\.\\PHYSICALDRIVE99999999999" << false << -1 << ""
                                    << "";
        QTest::newRow("suffix only") << "_NVR_DIR_\\Package000\\" << false << -1 << ""
                                     << "";
        QTest::newRow("other package") << "/x/d.img_NVR_DIR_\\Package001\\" << true << -1
                                       << "/x/d.img_NVR_DIR_\\Package001\\"
                                       << "";
        QTest::newRow("empty") << "" << false << -1 << ""
                               << "";
    }

    void recorderPath()
    {
        QFETCH(QString, text);
        QFETCH(bool, ok);
        diskrec::RecorderPath path;
        const std::string bytes = text.toStdString();
        QCOMPARE(diskrec::ParseRecorderPath(bytes, &path), ok);
        if (!ok)
            return;
        QTEST(path.drive_number, "drive");
        QTEST(QString::fromStdString(path.device_path), "device");
        QTEST(QString::fromStdString(path.volume), "volume");
    }

    void layouts_data()
    {
        QTest::addColumn<QString>("image");
        QTest::addColumn<int>("layout");
        QTest::addColumn<int>("error");
        QTest::newRow("plain") << "plain.img" << 0 << 0;
        QTest::newRow("nvr") << "nvr.img" << 1 << 0;
        QTest::newRow("dvr") << "dvr.img" << 2 << 0;
        QTest::newRow("ext4") << "ext4.img" << -1 << int(DR_ERR_NOT_RECORDER_DISK);
        QTest::newRow("random") << "random.img" << -1 << int(DR_ERR_NOT_RECORDER_DISK);
        QTest::newRow("short file") << "short.img" << -1 << int(DR_ERR_NOT_RECORDER_DISK);
        QTest::newRow("folder") << "" << -1 << int(DR_ERR_NOT_RECORDER_DISK);
        QTest::newRow("missing") << "missing.img" << -1 << int(DR_ERR_OPEN);
    }

    void layouts()
    {
        QFETCH(QString, image);
        {
            // An ext4 superblock at 1024 (magic 0xEF53 at 1080), random bytes, and a 100-byte file.
            std::vector<uint8_t> ext4(64 * 1024, 0);
            ext4[1080] = 0x53;
            ext4[1081] = 0xEF;
            std::ofstream(temp_.Path("ext4.img"), std::ios::binary)
                .write(reinterpret_cast<const char*>(ext4.data()), std::streamsize(ext4.size()));
            std::mt19937 rng(7);
            std::vector<char> noise(256 * 1024);
            for (char& c : noise)
                c = char(rng());
            std::ofstream(temp_.Path("random.img"), std::ios::binary)
                .write(noise.data(), std::streamsize(noise.size()));
            std::ofstream(temp_.Path("short.img"), std::ios::binary).write(noise.data(), 100);
        }
        const std::string path =
            image.isEmpty() ? temp_.dir.path().toStdString() + "/" : temp_.Path(image.toStdString());
        QTEST(LayoutOf(path), "layout");
        QFETCH(int, error);
        if (error != 0)
            QCOMPARE(DR_FILE_GetLastError(), error);
    }

    void search_data()
    {
        QTest::addColumn<int>("channel");
        QTest::addColumn<int>("type");
        QTest::addColumn<qint64>("from");
        QTest::addColumn<qint64>("to");
        QTest::addColumn<QStringList>("starts");  // seconds after T0 of the files found, in order
        const qint64 day0 = Local(2024, 1, 30, 0, 0, 0), day1 = Local(2024, 1, 30, 23, 59, 59);
        QTest::newRow("all types in time order") << 1 << 0 << day0 << day1 << QStringList{"0", "20", "30", "60"};
        QTest::newRow("type 1") << 1 << 1 << day0 << day1 << QStringList{"0", "30"};
        QTest::newRow("type 10") << 1 << 10 << day0 << day1 << QStringList{"20"};
        QTest::newRow("type 11") << 1 << 11 << day0 << day1 << QStringList{"60"};
        QTest::newRow("overlapping window") << 1 << 0 << T0 + 25 << T0 + 35 << QStringList{"20", "30"};
        QTest::newRow("both ends inclusive") << 1 << 0 << T0 + 20 << T0 + 20 << QStringList{"0", "20"};
        QTest::newRow("window in a gap") << 1 << 0 << T0 + 55 << T0 + 58 << QStringList{};
        QTest::newRow("other channel's type") << 2 << 1 << day0 << day1 << QStringList{};
        QTest::newRow("channel 2") << 2 << 2 << day0 << day1 << QStringList{"0"};
        QTest::newRow("empty channel") << 4 << 0 << day0 << day1 << QStringList{};
        QTest::newRow("next day") << 3 << 0 << Local(2024, 1, 31, 0, 0, 0) << Local(2024, 1, 31, 23, 59, 59)
                                  << QStringList{QString::number(Local(2024, 1, 31, 0, 0, 0) - T0)};
        QTest::newRow("channel 3 not on day 30") << 3 << 0 << day0 << day1 << QStringList{};
    }

    void search()
    {
        QFETCH(int, channel);
        QFETCH(int, type);
        QFETCH(qint64, from);
        QFETCH(qint64, to);
        QFETCH(QStringList, starts);
        for (const std::string& path : {plain_, nvr_ + kNvr, dvr_ + "_DVR_DIR_/Package000/"}) {
            int h = -1;
            const std::vector<Found> found = Search(path, channel, type, from, to, &h);
            QVERIFY2(h >= 0, "a recorder disk gives a handle also without matches");
            QStringList got;
            for (const Found& f : found)
                for (const ImageFile& file : StandardFiles())
                    if (TimeText(file.start) == f.start && int(f.type) == file.record_type)
                        got << QString::number(file.start - T0);
            QCOMPARE(got, starts);
        }
    }

    void findRecordFields()
    {
        const std::vector<Found> found = Search(plain_, 1, 0, T0, T0 + 100);
        QCOMPARE(found.size(), size_t(4));
        QCOMPARE(found[0].start, TimeText(T0));
        QCOMPARE(found[0].end, TimeText(T0 + 20));
        QCOMPARE(found[0].size, 40u + 20 * kBytesPerSecond);
        QCOMPARE(found[1].type, 10u);
        QVERIFY(found[0].name != found[2].name);
        // An unknown handle and a closed one end the walk at once.
        DR_FindRecord r;
        QCOMPARE(DR_FILE_FindNextFile(123456, &r), 0);
        QCOMPARE(DR_FILE_FindClose(123456), 0);
        // Bad arguments: no channel, a time that is no date.
        const DR_DateTime b = Dt(T0), bad{2024, 13, 1, 0, 0, 0};
        QCOMPARE(DR_FILE_FindFile(plain_.c_str(), 0, 0, &b, &b), -1);
        QCOMPARE(DR_FILE_FindFile(plain_.c_str(), 1, 0, &b, &bad), -1);
        QCOMPARE(DR_FILE_GetLastError(), int(DR_ERR_BAD_ARGUMENT));
        QCOMPARE(DR_FILE_FindFile(nullptr, 1, 0, &b, &b), -1);
    }

    // A found file's times are "YYYYMMDDhhmmss" or empty: a damaged table's year beyond 9999 is
    // never written with more digits (nor without its terminator), which a reader of the first 14
    // would take for another time.
    void findRecordTimesBeyondYear9999_data()
    {
        QTest::addColumn<qint64>("end");
        QTest::addColumn<QByteArray>("text");
        QTest::newRow("31 Dec 9999") << Local(9999, 12, 31, 23, 59, 59) << QByteArray("99991231235959");
        QTest::newRow("year 10000") << Local(10000, 1, 1, 0, 0, 0) << QByteArray();
        QTest::newRow("year 11224") << Local(11224, 12, 10, 8, 2, 28) << QByteArray();
        QTest::newRow("year 100000") << Local(100000, 1, 1, 0, 0, 0) << QByteArray();
        QTest::newRow("largest time") << qint64(INT64_MAX) << QByteArray();
    }

    void findRecordTimesBeyondYear9999()
    {
        QFETCH(qint64, end);
        QFETCH(QByteArray, text);
        ImageFile file = MakeFile(1, 1, T0, T0 + 2);
        file.end = end;
        DiskImageWriter writer;
        writer.AddFile("", std::move(file));
        const std::string path = temp_.Path("far-end.img");
        std::string error;
        QVERIFY2(writer.Write(path, &error), error.c_str());
        const DR_DateTime b = Dt(T0), e = Dt(T0 + 10);
        const int h = DR_FILE_FindFile(path.c_str(), 1, 0, &b, &e);
        QVERIFY(h >= 0);
        DR_FindRecord r;
        QCOMPARE(DR_FILE_FindNextFile(h, &r), 1);
        DR_FILE_FindClose(h);
        QVERIFY(std::memchr(r.end_time, 0, sizeof r.end_time) != nullptr);
        QCOMPARE(QByteArray(r.start_time), QByteArray::fromStdString(TimeText(T0)));
        QCOMPARE(QByteArray(r.end_time), text);
    }

    void longPathNames()
    {
        // A disk path too long for the 100-byte name still gives names that open.
        const std::string dir = temp_.Path(std::string(90, 'd'));
        QVERIFY(QDir().mkpath(QString::fromStdString(dir)));
        const std::string path = dir + "/disk.img";
        QVERIFY(QFile::copy(QString::fromStdString(plain_), QString::fromStdString(path)));
        const std::vector<Found> found = Search(path, 1, 0, T0, T0 + 100);
        QCOMPARE(found.size(), size_t(4));
        QVERIFY(found[0].name.size() < 100);
        Collector c;
        const int h = DR_FILE_GetStreamByFile(found[0].name.c_str(), 8, 0, &Collector::Callback, &c);
        QVERIFY(h >= 0);
        QVERIFY(WaitForEnd(h));
        QCOMPARE(DR_FILE_GetPos(h), int(DR_POS_DONE));
        QCOMPARE(c.data.size(), size_t(20 * kBytesPerSecond));
        DR_FILE_Stop(h);
    }

    void streamByFile()
    {
        const std::vector<Found> found = Search(nvr_ + kNvr, 1, 0, T0, T0 + 100);
        QVERIFY(!found.empty());
        Collector c;
        std::vector<int> positions;
        const int h = DR_FILE_GetStreamByFile(found[0].name.c_str(), 1, 0, &Collector::Callback, &c);
        QVERIFY(h >= 0);
        QElapsedTimer timer;
        timer.start();
        int pos = 0;
        while ((pos = DR_FILE_GetPos(h)) != DR_POS_DONE && pos != DR_POS_FAILED && timer.elapsed() < 10000) {
            positions.push_back(pos);
            QTest::qWait(1);
        }
        QCOMPARE(pos, int(DR_POS_DONE));
        for (size_t i = 1; i < positions.size(); ++i)
            QVERIFY(positions[i] >= positions[i - 1]);
        QVERIFY(positions.empty() || positions.back() < 100);
        const ImageFile a = StandardFiles()[0];
        std::lock_guard lock(c.mutex);
        QCOMPARE(c.types.front(), int(DR_BLOCK_HEADER));
        QCOMPARE(std::count(c.types.begin(), c.types.end(), int(DR_BLOCK_HEADER)), 1);
        QCOMPARE(c.header, FileBytes(a, 0, 40));
        QCOMPARE(c.data, FileBytes(a, 40, a.data.size()));
        QCOMPARE(c.types.size(), size_t(1 + (a.data.size() - 40 + 1023) / 1024));
        QCOMPARE(DR_FILE_Stop(h), 1);
        QCOMPARE(DR_FILE_Stop(h), 0);
        QCOMPARE(DR_FILE_GetPos(h), int(DR_POS_FAILED));
        QCOMPARE(DR_FILE_GetStreamByFile("nothing#0", 8, 0, &Collector::Callback, &c), -1);
        QCOMPARE(DR_FILE_GetStreamByFile((plain_ + "#99").c_str(), 8, 0, &Collector::Callback, &c), -1);
        QCOMPARE(DR_FILE_GetLastError(), int(DR_ERR_NO_FILE));
    }

    void streamByTime_data()
    {
        QTest::addColumn<int>("from");  // seconds after T0
        QTest::addColumn<int>("to");
        QTest::addColumn<int>("expectedFiles");  // files the data runs through (A, B, C)
        QTest::addColumn<int>("beginSecond");    // of the first file
        QTest::addColumn<int>("endSecond");      // of the last file; -1 = to its end
        QTest::newRow("inside one file") << 5 << 8 << 1 << 5 << 9;
        QTest::newRow("whole file") << 0 << 20 << 2 << 0 << 1;  // end second 20 is B's start
        QTest::newRow("across two files") << 15 << 22 << 2 << 15 << 3;
        QTest::newRow("across three files") << 15 << 45 << 3 << 15 << 16;
        QTest::newRow("end past the last keyframe") << 31 << 49 << 1 << 1 << -1;
    }

    void streamByTime()
    {
        QFETCH(int, from);
        QFETCH(int, to);
        QFETCH(int, expectedFiles);
        QFETCH(int, beginSecond);
        QFETCH(int, endSecond);
        const std::vector<ImageFile> files = StandardFiles();
        const int first = from >= 30 ? 2 : (from >= 20 ? 1 : 0);
        std::vector<uint8_t> expected;
        for (int i = first; i < first + expectedFiles; ++i) {
            const ImageFile& f = files[size_t(i)];
            const size_t b = i == first ? 40 + size_t(beginSecond) * kBytesPerSecond : 40;
            const size_t e = (i == first + expectedFiles - 1 && endSecond >= 0)
                                 ? 40 + size_t(endSecond) * kBytesPerSecond
                                 : f.data.size();
            const auto part = FileBytes(f, b, e);
            expected.insert(expected.end(), part.begin(), part.end());
        }
        const DR_DateTime b = Dt(T0 + from), e = Dt(T0 + to);
        const std::string path = dvr_ + kDvr;
        const DR_DiskPath disk{path.c_str(), {0, 0, 0}};
        Collector c;
        const int h = DR_FILE_GetStreamByTime(&disk, &b, &e, 1, 8, &Collector::Callback, &c);
        QVERIFY(h >= 0);
        QVERIFY(WaitForEnd(h));
        QCOMPARE(DR_FILE_GetPos(h), int(DR_POS_DONE));
        DR_FILE_Stop(h);
        QCOMPARE(c.header, FileBytes(files[size_t(first)], 0, 40));
        QCOMPARE(std::count(c.types.begin(), c.types.end(), int(DR_BLOCK_HEADER)), 1);
        QCOMPARE(c.data.size(), expected.size());
        QVERIFY(c.data == expected);
    }

    void streamByTimeRefusals()
    {
        const DR_DiskPath disk{plain_.c_str(), {0, 0, 0}};
        Collector c;
        const DR_DateTime gapFrom = Dt(T0 + 52), gapTo = Dt(T0 + 58), b = Dt(T0 + 10), e = Dt(T0 + 5);
        QCOMPARE(DR_FILE_GetStreamByTime(&disk, &gapFrom, &gapTo, 1, 8, &Collector::Callback, &c), -1);
        QCOMPARE(DR_FILE_GetLastError(), int(DR_ERR_NO_FILE));
        QCOMPARE(DR_FILE_GetStreamByTime(&disk, &b, &e, 1, 8, &Collector::Callback, &c), -1);
        QCOMPARE(DR_FILE_GetLastError(), int(DR_ERR_BAD_ARGUMENT));
        QCOMPARE(DR_FILE_GetStreamByTime(nullptr, &b, &b, 1, 8, &Collector::Callback, &c), -1);
        QCOMPARE(c.calls.load(), 0);
    }

    void setPosByTime()
    {
        // The first data block waits until the test has asked for a new position.
        const std::vector<Found> found = Search(plain_, 1, 0, T0, T0 + 10);
        QSemaphore entered, release;
        Collector c;
        c.hook = [&](Collector& self, int type) {
            if (type == DR_BLOCK_DATA && self.data.empty()) {
                entered.release();
                release.acquire();
            }
        };
        const int h = DR_FILE_GetStreamByFile(found[0].name.c_str(), 1, 0, &Collector::Callback, &c);
        QVERIFY(h >= 0);
        QVERIFY(entered.tryAcquire(1, 10000));
        const DR_DateTime to = Dt(T0 + 15), outside = Dt(T0 + 25);
        QCOMPARE(DR_FILE_SetPosByTime(h, &to), 1);
        QCOMPARE(DR_FILE_SetPosByTime(h, &outside), 0);
        QCOMPARE(DR_FILE_GetLastError(), int(DR_ERR_TIME_NOT_IN_FILE));
        release.release();
        QVERIFY(WaitForEnd(h));
        QCOMPARE(DR_FILE_GetPos(h), int(DR_POS_DONE));
        // A finished stream still moves: from the keyframe of second 18 to the end again.
        const size_t before = c.data.size();
        const DR_DateTime again = Dt(T0 + 18);
        QCOMPARE(DR_FILE_SetPosByTime(h, &again), 1);
        QTRY_COMPARE_WITH_TIMEOUT(c.DataSize(), before + 2 * kBytesPerSecond, 10000);
        QVERIFY(WaitForEnd(h));
        DR_FILE_Stop(h);
        const ImageFile a = StandardFiles()[0];
        std::vector<uint8_t> expected = FileBytes(a, 40, 40 + 1024);
        for (size_t from : {size_t(40 + 15 * kBytesPerSecond), size_t(40 + 18 * kBytesPerSecond)}) {
            const auto tail = FileBytes(a, from, a.data.size());
            expected.insert(expected.end(), tail.begin(), tail.end());
        }
        QCOMPARE(c.data.size(), expected.size());
        QVERIFY(c.data == expected);
        QCOMPARE(DR_FILE_SetPosByTime(h, &to), 0);
    }

    void stopFromCallbackThread()
    {
        const std::vector<Found> found = Search(plain_, 1, 0, T0, T0 + 10);
        Collector c;
        std::atomic<int> stopResult{-1};
        std::atomic<int> callsAtStop{0};
        c.hook = [&](Collector& self, int type) {
            if (type == DR_BLOCK_DATA && stopResult.load() == -1) {
                while (self.handle.load() < 0)
                    std::this_thread::sleep_for(std::chrono::milliseconds(1));
                stopResult = DR_FILE_Stop(self.handle.load());
                callsAtStop = self.calls.load();
            }
        };
        c.handle = DR_FILE_GetStreamByFile(found[0].name.c_str(), 1, 0, &Collector::Callback, &c);
        QVERIFY(c.handle.load() >= 0);
        QTRY_COMPARE_WITH_TIMEOUT(stopResult.load(), 1, 10000);
        JoinStreamsStoppedInCallbacks(found[0].name);
        // The block in whose callback Stop was called is the last one.
        QCOMPARE(c.calls.load(), callsAtStop.load() + 1);
        QCOMPARE(DR_FILE_GetPos(c.handle.load()), int(DR_POS_FAILED));
    }

    // The first callback may come before the open has returned (on one core the new thread often
    // runs first): streams stopped from it, many times over, each stop works, nothing follows it,
    // and the process lives on.
    void stopFromFirstCallback()
    {
        constexpr int kStreams = 200;
        const std::vector<Found> found = Search(plain_, 1, 0, T0, T0 + 10);
        QVERIFY(!found.empty());
        SelfStopper stopper;
        std::vector<int> handles;
        bool allCalled = false;
        {
            OneCore pin;
            for (int i = 0; i < kStreams; ++i) {
                const int h = DR_FILE_GetStreamByFile(found[0].name.c_str(), 1, 0, &SelfStopper::Callback, &stopper);
                if (h >= 0)
                    handles.push_back(h);
            }
            std::unique_lock lock(stopper.mutex);
            allCalled = stopper.called.wait_for(lock, std::chrono::seconds(120),
                                                [&] { return stopper.results.size() == handles.size(); });
        }
        int stoppedAgain = 0;
        for (int h : handles)
            stoppedAgain += DR_FILE_Stop(h);
        JoinStreamsStoppedInCallbacks(found[0].name);
        QCOMPARE(int(handles.size()), kStreams);
        QVERIFY(allCalled);
        QCOMPARE(stoppedAgain, 0);
        std::lock_guard lock(stopper.mutex);
        QCOMPARE(stopper.results, std::vector<int>(kStreams, 1));
        QCOMPARE(int(stopper.calls.size()), kStreams);
        for (const auto& [handle, calls] : stopper.calls)
            QCOMPARE(calls, 1);
    }

    void stopWhileCallbackBlocks()
    {
        const std::vector<Found> found = Search(plain_, 1, 0, T0, T0 + 10);
        Collector c;
        QSemaphore entered;
        c.hook = [&](Collector&, int type) {
            if (type != DR_BLOCK_DATA)
                return;
            entered.release();
            std::this_thread::sleep_for(std::chrono::milliseconds(300));  // a full port, retried
        };
        const int h = DR_FILE_GetStreamByFile(found[0].name.c_str(), 1, 0, &Collector::Callback, &c);
        QVERIFY(h >= 0);
        QVERIFY(entered.tryAcquire(1, 10000));
        QCOMPARE(DR_FILE_Stop(h), 1);
        const int callsAtReturn = c.calls.load();
        QTest::qWait(700);
        QCOMPARE(c.calls.load(), callsAtReturn);
        QVERIFY(c.data.size() < 20 * size_t(kBytesPerSecond));
    }

    void truncatedImage()
    {
        const std::string broken = temp_.Path("truncated.img");
        std::string error;
        QVERIFY(diskrec::WriteBrokenImage(plain_, broken, BrokenImage::TruncatedMidData, &error));
        // Everything is listed; the file cut short fails with 200, a whole one ends with 100.
        const int64_t from = Local(2024, 1, 30, 0, 0, 0), to = Local(2024, 1, 31, 23, 59, 59);
        int cutPositions = 0, donePositions = 0;
        for (int channel = 1; channel <= 3; ++channel) {
            for (const Found& f : Search(broken, channel, 0, from, to)) {
                Collector c;
                const int h = DR_FILE_GetStreamByFile(f.name.c_str(), 8, 0, &Collector::Callback, &c);
                QVERIFY(h >= 0);
                QVERIFY(WaitForEnd(h));
                const int pos = DR_FILE_GetPos(h);
                (pos == DR_POS_FAILED ? cutPositions : donePositions)++;
                if (pos == DR_POS_FAILED)
                    QVERIFY(c.data.size() < f.size);
                DR_FILE_Stop(h);
            }
        }
        QCOMPARE(cutPositions, 1);
        QCOMPARE(donePositions, 5);
    }

    void brokenImages_data()
    {
        QTest::addColumn<BrokenImage>("kind");
        QTest::addColumn<int>("channel1Files");  // -1: the disk is refused
        QTest::addColumn<int>("logs");           // -1: refused; else at least this many
        QTest::addColumn<int>("streamEnd");      // how each listed file's stream ends
        QTest::addColumn<bool>("zeros");         // each stream delivers only zero bytes
        QTest::newRow("bad magic") << BrokenImage::BadMagic << -1 << -1 << 0 << false;
        QTest::newRow("bad checksum") << BrokenImage::BadChecksum << -1 << -1 << 0 << false;
        QTest::newRow("end before start") << BrokenImage::EndBeforeStart << 3 << 300 << int(DR_POS_DONE) << false;
        QTest::newRow("offsets past the end") << BrokenImage::OffsetsPastEnd << 3 << 300 << int(DR_POS_DONE) << false;
        QTest::newRow("counts past the end") << BrokenImage::CountsPastEnd << 4 << 300 << int(DR_POS_DONE) << false;
        // A half-copied disk: the files are listed, their data reads as zeros or is not there.
        QTest::newRow("zeroed data") << BrokenImage::ZeroedData << 4 << 300 << int(DR_POS_DONE) << true;
        QTest::newRow("data missing") << BrokenImage::DataMissing << 4 << 300 << int(DR_POS_FAILED) << false;
    }

    void brokenImages()
    {
        QFETCH(BrokenImage, kind);
        QFETCH(int, channel1Files);
        QFETCH(int, logs);
        QFETCH(int, streamEnd);
        QFETCH(bool, zeros);
        const std::string broken = temp_.Path("broken.img");
        std::string error;
        QVERIFY(diskrec::WriteBrokenImage(plain_, broken, kind, &error));
        int h = -1;
        const std::vector<Found> found =
            Search(broken, 1, 0, Local(2024, 1, 30, 0, 0, 0), Local(2024, 1, 30, 23, 59, 59), &h);
        if (channel1Files < 0) {
            QCOMPARE(h, -1);
            QCOMPARE(DR_FILE_GetLastError(), int(DR_ERR_NOT_RECORDER_DISK));
        } else {
            QCOMPARE(int(found.size()), channel1Files);
            for (const Found& f : found) {  // what is listed streams whole, unless its data is gone
                Collector c;
                const int s = DR_FILE_GetStreamByFile(f.name.c_str(), 64, 0, &Collector::Callback, &c);
                QVERIFY(s >= 0);
                QVERIFY(WaitForEnd(s));
                QCOMPARE(DR_FILE_GetPos(s), streamEnd);
                DR_FILE_Stop(s);
                if (streamEnd == DR_POS_DONE)
                    QVERIFY(!c.data.empty());
                const auto allZero = [](const std::vector<uint8_t>& bytes) {
                    return !bytes.empty() && std::all_of(bytes.begin(), bytes.end(), [](uint8_t b) { return b == 0; });
                };
                QCOMPARE(allZero(c.header) && allZero(c.data), zeros);
            }
        }
        const int lh = DR_FILE_FindLog(broken.c_str(), 3, 0, 0, nullptr, nullptr);
        if (logs < 0) {
            QCOMPARE(lh, -1);
            return;
        }
        QVERIFY(lh >= 0);
        DR_LogRecord r;
        int n = 0;
        while (DR_FILE_FindNextLog(lh, &r) == 1)
            ++n;
        QVERIFY(n >= logs);
        // A count beyond the disk's end is a cut log, and the caller is told so.
        QCOMPARE(DR_FILE_GetLastError(), kind == BrokenImage::CountsPastEnd ? int(DR_ERR_READ) : int(DR_ERR_NONE));
        QCOMPARE(DR_FILE_FindLogClose(lh), 1);
    }

    void logs_data()
    {
        QTest::addColumn<int>("major");
        QTest::addColumn<int>("minor");
        QTest::addColumn<int>("fromRecord");  // record indexes bounding the window, -1 = none
        QTest::addColumn<int>("toRecord");
        QTest::newRow("all") << 0 << 0 << -1 << -1;
        QTest::newRow("negative means all") << -1 << -1 << -1 << -1;
        QTest::newRow("alarm") << 1 << 0 << -1 << -1;
        QTest::newRow("information") << 4 << 0 << -1 << -1;
        QTest::newRow("minor 0x73") << 0 << 0x73 << -1 << -1;
        QTest::newRow("minor of another major") << 1 << 0x73 << -1 << -1;
        QTest::newRow("window inclusive") << 0 << 0 << 10 << 20;
        QTest::newRow("one-record window") << 0 << 0 << 135 << 135;
        QTest::newRow("operation in window") << 3 << 0 << 100 << 250;
    }

    void logs()
    {
        QFETCH(int, major);
        QFETCH(int, minor);
        QFETCH(int, fromRecord);
        QFETCH(int, toRecord);
        const int64_t first = Local(2024, 1, 30, 0, 0, 0);
        const std::vector<DR_LogRecord> all = diskrec::MakeSampleLogs(300, first, 60);
        std::vector<std::string> expected;
        for (int i = 0; i < int(all.size()); ++i) {
            const DR_LogRecord& r = all[size_t(i)];
            if ((major > 0 && int(r.major_type) != major) || (minor > 0 && int(r.minor_type) != minor))
                continue;
            if (fromRecord >= 0 && (i < fromRecord || i > toRecord))
                continue;
            expected.push_back(std::string(r.time) + "/" + std::to_string(r.minor_type));
        }
        if (major == 0 && minor == 0 && fromRecord < 0)
            QCOMPARE(expected.size(), size_t(300));
        const DR_DateTime from = Dt(first + fromRecord * 60), to = Dt(first + toRecord * 60);
        // The log lives on the disk, so every volume path of it finds the same records.
        for (const std::string& path : {plain_, nvr_, nvr_ + kNvr}) {
            const int h = DR_FILE_FindLog(path.c_str(), 3, major, minor, fromRecord >= 0 ? &from : nullptr,
                                          fromRecord >= 0 ? &to : nullptr);
            QVERIFY(h >= 0);
            std::vector<std::string> got;
            DR_LogRecord r;
            while (DR_FILE_FindNextLog(h, &r) == 1)
                got.push_back(std::string(r.time) + "/" + std::to_string(r.minor_type));
            QCOMPARE(DR_FILE_FindLogClose(h), 1);
            QCOMPARE(DR_FILE_FindLogClose(h), 0);
            QCOMPARE(got, expected);
        }
    }

    // More than 1,048,576 records: every one is read (a chunk at a time), and the end is a whole end.
    void longLogIsReadWhole()
    {
        constexpr int kCount = (1 << 20) + 5;
        const std::string path = temp_.Path("long-log.img");
        {
            diskrec::DiskImageWriter writer;
            diskrec::ImageFile file;
            file.start = T0;
            file.end = T0 + 1;
            file.data.assign(400, 0);
            writer.AddFile("", file);
            for (const DR_LogRecord& r : diskrec::MakeSampleLogs(kCount, T0, 1))
                writer.AddLog(r);
            std::string error;
            QVERIFY2(writer.Write(path, &error), error.c_str());
        }
        const int h = DR_FILE_FindLog(path.c_str(), 3, 0, 0, nullptr, nullptr);
        QVERIFY(h >= 0);
        DR_LogRecord r;
        int n = 0;
        std::string last;
        while (DR_FILE_FindNextLog(h, &r) == 1)
            ++n, last = r.time;
        QCOMPARE(DR_FILE_GetLastError(), int(DR_ERR_NONE));
        QCOMPARE(n, kCount);
        QCOMPARE(last, std::string(diskrec::MakeSampleLogs(1, T0 + kCount - 1, 1)[0].time));
        QCOMPARE(DR_FILE_FindLogClose(h), 1);
        QFile::remove(QString::fromStdString(path));
    }

    // A FIFO in place of an image is refused at once, never waited on.
    void fifoIsNoDisk()
    {
        const std::string path = temp_.Path("fifo.img");
        QCOMPARE(::mkfifo(path.c_str(), 0644), 0);
        const DR_DateTime b = Dt(T0), e = Dt(T0 + 10);
        QCOMPARE(DR_FILE_FindFile(path.c_str(), 1, 0, &b, &e), -1);
        QCOMPARE(DR_FILE_GetLastError(), int(DR_ERR_NOT_RECORDER_DISK));
        QCOMPARE(DR_FILE_FindLog(path.c_str(), 3, 0, 0, nullptr, nullptr), -1);
    }

    void sampleLogsCoverEveryType()
    {
        const auto records = diskrec::MakeSampleLogs(int(diskrec::LogMinorTypes().size()), T0, 1);
        std::set<uint32_t> majors, minors;
        for (const DR_LogRecord& r : records) {
            majors.insert(r.major_type);
            minors.insert(r.minor_type);
        }
        QCOMPARE(majors, (std::set<uint32_t>{1, 2, 3, 4}));
        QCOMPARE(minors.size(), size_t(134));
        QCOMPARE(records[0].remote_host >> 24, 192u);
    }

    // Root reads files of any mode: the file layer's seam refuses them as it would to anyone else.
    void accessDenied()
    {
        const std::string locked = temp_.Path("locked.img");
        QVERIFY(QFile::copy(QString::fromStdString(plain_), QString::fromStdString(locked)));
        QVERIFY(QFile::setPermissions(QString::fromStdString(locked), QFileDevice::Permissions()));
        const DR_DateTime b = Dt(T0), e = Dt(T0 + 10);
        rtk_test_SetRefuseUnreadable(true);
        const int found = DR_FILE_FindFile(locked.c_str(), 1, 0, &b, &e);
        const int findError = DR_FILE_GetLastError();
        const int log = DR_FILE_FindLog(locked.c_str(), 3, 0, 0, nullptr, nullptr);
        const int logError = DR_FILE_GetLastError();
        rtk_test_SetRefuseUnreadable(false);
        QCOMPARE(found, -1);
        QCOMPARE(findError, int(DR_ERR_ACCESS_DENIED));
        QCOMPARE(log, -1);
        QCOMPARE(logError, int(DR_ERR_ACCESS_DENIED));
    }

    void lastErrorIsPerThread()
    {
        const DR_DateTime b = Dt(T0);
        QCOMPARE(DR_FILE_FindFile(temp_.Path("missing.img").c_str(), 1, 0, &b, &b), -1);
        int other = -1;
        std::thread([&] {
            DR_FILE_FindFile(plain_.c_str(), 0, 0, &b, &b);
            other = DR_FILE_GetLastError();
        }).join();
        QCOMPARE(other, int(DR_ERR_BAD_ARGUMENT));
        QCOMPARE(DR_FILE_GetLastError(), int(DR_ERR_OPEN));
    }

    void tableReadOncePerDisk()
    {
        // A month scan of 64 channels reads the table once; a rewritten image is read again.
        const std::string path = temp_.Path("scan.img");
        QVERIFY(WriteStandard(path, kNvr, 0, 1));
        const std::string volume = path + kNvr;
        auto scan = [&] {
            int found = 0;
            for (int ch = 1; ch <= 64; ++ch)
                found +=
                    int(Search(volume, ch, 0, Local(2024, 1, 1, 0, 0, 0), Local(2024, 1, 31, 23, 59, 59)).size() > 0);
            return found;
        };
        const int64_t before = DR_FILE_DiagTableReads();
        QCOMPARE(scan(), 3);
        QCOMPARE(DR_FILE_DiagTableReads() - before, int64_t(1));
        QCOMPARE(scan(), 3);
        QCOMPARE(DR_FILE_DiagTableReads() - before, int64_t(1));
        DiskImageWriter writer;
        writer.AddFile(kNvr, MakeFile(9, 1, T0, T0 + 5));
        writer.SetGeneration(2);
        std::string error;
        QVERIFY(writer.Write(path, &error));
        QCOMPARE(scan(), 1);
        QCOMPARE(DR_FILE_DiagTableReads() - before, int64_t(2));
    }
};

QTEST_GUILESS_MAIN(TestDiskRec)
#include "tst_diskrec.moc"
