// The sample recorder-disk images (real encoded recordings) read through the disk library, and
// disk numbers resolved through the system layer's extra disks.
#include <QElapsedTimer>
#include <QTest>

#include <algorithm>
#include <cstdlib>
#include <mutex>
#include <set>
#include <string>
#include <vector>

#include "platform/diskrec/DriveResolver.h"
#include "platform/diskrec/diskrec.h"
#include "platform/rtk/rtk_test.h"
#include "platform/streamfmt/streamfmt.h"
#include "platform/system/system.h"

namespace {

std::string Sample(const char* name)
{
    return std::string(qgetenv("VARPEN_BUILD_DIR").constData()) + "/samples/test/" + name;
}

const char* const kNvr = "_NVR_DIR_\\Package000\\";
const char* const kDvr = "_DVR_DIR_\\Package000\\";
const DR_DateTime kFrom{2024, 1, 30, 0, 0, 0}, kTo{2024, 1, 31, 23, 59, 59};

std::vector<DR_FindRecord> Find(const std::string& path, int channel, int* handle = nullptr)
{
    std::vector<DR_FindRecord> out;
    const int h = DR_FILE_FindFile(path.c_str(), channel, 0, &kFrom, &kTo);
    if (handle)
        *handle = h;
    if (h < 0)
        return out;
    DR_FindRecord r;
    while (DR_FILE_FindNextFile(h, &r) == 1)
        out.push_back(r);
    DR_FILE_FindClose(h);
    return out;
}

// The scan's order of tries: 0 plain, 1 NVR folder, 2 DVR folder, -1 refused.
int LayoutOf(const std::string& path)
{
    const std::string forms[] = {path, path + kNvr, path + kDvr};
    for (int i = 0; i < 3; ++i) {
        int h = -1;
        Find(forms[i], 1, &h);
        if (h >= 0)
            return i;
    }
    return -1;
}

struct Delivery {
    std::mutex mutex;
    std::vector<uint8_t> header, data;
    int headers = 0;
    static void Callback(int, int type, unsigned char* bytes, unsigned size, void* user)
    {
        auto* d = static_cast<Delivery*>(user);
        std::lock_guard lock(d->mutex);
        if (type == DR_BLOCK_HEADER) {
            ++d->headers;
            d->header.assign(bytes, bytes + size);
        } else {
            d->data.insert(d->data.end(), bytes, bytes + size);
        }
    }
};

int RunToEnd(int handle)
{
    QElapsedTimer timer;
    timer.start();
    int pos = 0;
    while ((pos = DR_FILE_GetPos(handle)) != DR_POS_DONE && pos != DR_POS_FAILED && timer.elapsed() < 20000)
        QTest::qWait(5);
    DR_FILE_Stop(handle);
    return pos;
}

}  // namespace

class TestSampleDisks : public QObject {
    Q_OBJECT

private slots:
    void layouts_data()
    {
        QTest::addColumn<QString>("image");
        QTest::addColumn<int>("layout");
        QTest::newRow("plain") << "disk-plain.img" << 0;
        QTest::newRow("nvr") << "disk-nvr.img" << 1;
        QTest::newRow("dvr") << "disk-dvr.img" << 2;
        QTest::newRow("bad magic") << "disk-broken-bad-magic.img" << -1;
        QTest::newRow("bad checksum") << "disk-broken-bad-checksum.img" << -1;
        QTest::newRow("counts past the end") << "disk-broken-counts-past-end.img" << 0;
    }

    void layouts()
    {
        QFETCH(QString, image);
        QTEST(LayoutOf(Sample(image.toLatin1().constData())), "layout");
    }

    void recordingsStream()
    {
        // Every file of the NVR image: a header of ours, the whole data, MPEG-TS from the first byte.
        const std::string volume = Sample("disk-nvr.img") + kNvr;
        std::set<uint32_t> types;
        for (int channel = 1; channel <= 2; ++channel) {
            const std::vector<DR_FindRecord> files = Find(volume, channel);
            QCOMPARE(files.size(), size_t(4));
            for (const DR_FindRecord& f : files) {
                types.insert(f.record_type);
                Delivery d;
                const int h = DR_FILE_GetStreamByFile(f.name, 8, 0, &Delivery::Callback, &d);
                QVERIFY(h >= 0);
                QCOMPARE(RunToEnd(h), int(DR_POS_DONE));
                SF_StreamHeader header;
                QVERIFY(SF_ParseHeader(d.header.data(), d.header.size(), &header));
                QCOMPARE(d.headers, 1);
                QCOMPARE(d.data.size() + 40, size_t(f.size_bytes));
                QCOMPARE(d.data.front(), uint8_t(0x47));
            }
        }
        QCOMPARE(types, (std::set<uint32_t>{1, 10, 11}));
    }

    void byTimeStartsAtKeyframe()
    {
        const std::string volume = Sample("disk-dvr.img") + kDvr;
        const std::vector<DR_FindRecord> files = Find(volume, 2);
        QVERIFY(!files.empty());
        const QDateTime start = QDateTime::fromString(QString::fromLatin1(files[0].start_time), "yyyyMMddHHmmss");
        const QDateTime mid = start.addSecs(2);
        const DR_DateTime b{mid.date().year(), mid.date().month(),  mid.date().day(),
                            mid.time().hour(), mid.time().minute(), mid.time().second()};
        const DR_DiskPath disk{volume.c_str(), {0, 0, 0}};
        Delivery d;
        const int h = DR_FILE_GetStreamByTime(&disk, &b, &b, 2, 8, &Delivery::Callback, &d);
        QVERIFY(h >= 0);
        QCOMPARE(RunToEnd(h), int(DR_POS_DONE));
        SF_StreamHeader header;
        QVERIFY(SF_ParseHeader(d.header.data(), d.header.size(), &header));
        QCOMPARE(header.start_time, start.toSecsSinceEpoch());
        QVERIFY(!d.data.empty());
        QCOMPARE(d.data.front(), uint8_t(0x47));
        QVERIFY(d.data.size() + 40 < size_t(files[0].size_bytes));
    }

    void truncatedFailsTheCutFile()
    {
        const std::string path = Sample("disk-broken-truncated.img");
        int failed = 0, done = 0;
        for (int channel = 1; channel <= 2; ++channel)
            for (const DR_FindRecord& f : Find(path, channel)) {
                Delivery d;
                const int h = DR_FILE_GetStreamByFile(f.name, 8, 0, &Delivery::Callback, &d);
                QVERIFY(h >= 0);
                (RunToEnd(h) == DR_POS_FAILED ? failed : done)++;
            }
        QCOMPARE(failed, 1);
        QCOMPARE(done, 7);
    }

    // The images of a copy gone wrong: the files listed but their data zeros or not there, an image
    // nobody may read (refused to root too, through the file layer's seam), a FIFO in its place.
    void damagedImages_data()
    {
        QTest::addColumn<QString>("image");
        QTest::addColumn<int>("error");      // of the search; DR_ERR_NONE: the files are listed
        QTest::addColumn<int>("streamEnd");  // of each listed file
        QTest::newRow("zeroed data") << "disk-broken-zeroed-data.img" << int(DR_ERR_NONE) << int(DR_POS_DONE);
        QTest::newRow("data missing") << "disk-broken-data-missing.img" << int(DR_ERR_NONE) << int(DR_POS_FAILED);
        QTest::newRow("unreadable") << "disk-broken-unreadable.img" << int(DR_ERR_ACCESS_DENIED) << 0;
        QTest::newRow("fifo") << "disk-broken-fifo.img" << int(DR_ERR_NOT_RECORDER_DISK) << 0;
    }

    void damagedImages()
    {
        QFETCH(QString, image);
        QFETCH(int, error);
        QFETCH(int, streamEnd);
        rtk_test_SetRefuseUnreadable(true);
        const std::string path = Sample(image.toLatin1().constData());
        const DR_DateTime from{2024, 1, 30, 0, 0, 0}, to{2024, 1, 31, 23, 59, 59};
        const int h = DR_FILE_FindFile(path.c_str(), 1, 0, &from, &to);
        const int searchError = DR_FILE_GetLastError();
        rtk_test_SetRefuseUnreadable(false);
        if (error != DR_ERR_NONE) {
            QCOMPARE(h, -1);
            QCOMPARE(searchError, error);
            return;
        }
        QVERIFY(h >= 0);
        DR_FILE_FindClose(h);
        const std::vector<DR_FindRecord> files = Find(path, 1);
        QCOMPARE(files.size(), size_t(4));
        for (const DR_FindRecord& f : files) {
            Delivery d;
            const int s = DR_FILE_GetStreamByFile(f.name, 8, 0, &Delivery::Callback, &d);
            QVERIFY(s >= 0);
            QCOMPARE(RunToEnd(s), streamEnd);
            QVERIFY(std::all_of(d.data.begin(), d.data.end(), [](uint8_t b) { return b == 0; }));
        }
    }

    void logsOfEveryMajorType()
    {
        const int h = DR_FILE_FindLog(Sample("disk-plain.img").c_str(), 3, 0, 0, &kFrom, &kTo);
        QVERIFY(h >= 0);
        std::set<uint32_t> majors;
        int n = 0;
        DR_LogRecord r;
        while (DR_FILE_FindNextLog(h, &r) == 1) {
            majors.insert(r.major_type);
            ++n;
        }
        DR_FILE_FindLogClose(h);
        QCOMPARE(n, 300);
        QCOMPARE(majors, (std::set<uint32_t>{1, 2, 3, 4}));
    }

    void driveNumbersOfExtraDisks()
    {
        // Extra disks are numbered from 1000 in list order; the NVR image is the second.
        const std::string extra = Sample("disk-plain.img") + ":" + Sample("disk-nvr.img");
        qputenv("VARPEN_EXTRA_DISKS", extra.c_str());
        diskrec::SetDriveResolver(&Sys_DiskPathOf);
        QCOMPARE(LayoutOf("\\\\.\\PHYSICALDRIVE1000"), 0);
        QCOMPARE(LayoutOf("\\\\.\\PHYSICALDRIVE1001"), 1);
        QCOMPARE(LayoutOf("\\\\.\\PHYSICALDRIVE1009"), -1);
        QCOMPARE(DR_FILE_GetLastError(), int(DR_ERR_OPEN));
        diskrec::SetDriveResolver(nullptr);
        qunsetenv("VARPEN_EXTRA_DISKS");
    }
};

QTEST_GUILESS_MAIN(TestSampleDisks)
#include "tst_sampledisks.moc"
