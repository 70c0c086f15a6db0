#include <QDir>
#include <QTemporaryDir>
#include <QTest>

#include <atomic>
#include <cerrno>
#include <chrono>
#include <cstring>
#include <string>
#include <thread>
#include <vector>

#include "platform/rtk/rtk.h"
#include "platform/rtk/rtk_test.h"

#include <QProcess>

#include <sys/stat.h>
#include <unistd.h>

namespace {

using Clock = std::chrono::steady_clock;

int64_t ElapsedMs(Clock::time_point since)
{
    return std::chrono::duration_cast<std::chrono::milliseconds>(Clock::now() - since).count();
}

std::string ReadAll(const std::string& path)
{
    std::string out;
    const int fd = RTK_OpenFile(path.c_str(), RTK_FILE_READ, RTK_SHARE_READ);
    if (fd < 0)
        return "<missing>";
    RTK_FileInfo info;
    RTK_FileStat(fd, &info);
    out.resize(size_t(info.size_bytes));
    if (!out.empty() && RTK_ReadFile(fd, out.data(), out.size(), 0) != 0)
        out = "<read failed>";
    RTK_CloseFile(fd);
    return out;
}

bool WriteNew(const std::string& path, const std::string& text)
{
    const int fd = RTK_OpenFile(path.c_str(), RTK_FILE_CREATE_OUTPUT, RTK_SHARE_WRITE);
    if (fd < 0)
        return false;
    const bool ok = RTK_WriteFile(fd, text.data(), text.size(), nullptr) == 0;
    RTK_CloseFile(fd);
    return ok;
}

struct CountingArg {
    std::atomic<int> runs{0};
    std::atomic<int> tid{0};
};

int CountingProc(void* p)
{
    auto* arg = static_cast<CountingArg*>(p);
    arg->tid = RTK_Thread_GetSelfId();
    RTK_Sleep(20);
    ++arg->runs;
    RTK_Thread_Exit();
    return 0;
}

int SelfWaitProc(void* p)
{
    auto* handle = static_cast<std::atomic<int>*>(p);
    while (handle->load() == 0)
        RTK_Sleep(1);
    // Waiting for oneself must fail at once instead of hanging.
    handle->store(RTK_Thread_Wait(handle->load()) == -1 ? -1 : -2);
    return 0;
}

}  // namespace

class TestRtk : public QObject {
    Q_OBJECT

private slots:
    void cleanup()
    {
        RTK_Test_FailWritesAfter(-1);
        rtk_test_SetRefuseUnreadable(false);
        rtk_test_SetReadDelay(0);
    }

    void threadRunsAndIsWaited()
    {
        CountingArg arg;
        const int handle = RTK_Thread_Create(&CountingProc, &arg, 1024 * 1024);
        QVERIFY(handle != 0);
        QCOMPARE(RTK_Thread_Wait(handle), 0);
        QCOMPARE(arg.runs.load(), 1);
        QVERIFY(arg.tid.load() != 0);
        QVERIFY(arg.tid.load() != RTK_Thread_GetSelfId());
        // The handle is spent: a second wait fails rather than joining twice.
        QCOMPARE(RTK_Thread_Wait(handle), -1);
        QCOMPARE(RTK_Thread_Create(nullptr, nullptr, 0), 0);
    }

    void threadWaitingForItselfFails()
    {
        std::atomic<int> handle{0};
        const int h = RTK_Thread_Create(&SelfWaitProc, &handle, 0);
        QVERIFY(h != 0);
        handle.store(h);
        QTRY_COMPARE_WITH_TIMEOUT(handle.load(), -1, 10000);
        QCOMPARE(RTK_Thread_Wait(h), 0);
    }

    void semaphoreTimedWait()
    {
        int sem = 0;
        QCOMPARE(RTK_SemCreate(&sem, 0), 0);
        QVERIFY(sem != 0);

        auto start = Clock::now();
        QCOMPARE(RTK_SemTimedWait(&sem, 100), -1);
        QVERIFY(ElapsedMs(start) >= 95);

        // A post before the wait lets exactly one wait through.
        QCOMPARE(RTK_SemPost(&sem), 0);
        QCOMPARE(RTK_SemTimedWait(&sem, 0), 0);
        QCOMPARE(RTK_SemTimedWait(&sem, 0), -1);

        // A post from another thread wakes a long wait well before its end.
        std::thread poster([&] {
            RTK_Sleep(50);
            RTK_SemPost(&sem);
        });
        start = Clock::now();
        QCOMPARE(RTK_SemTimedWait(&sem, 30000), 0);
        QVERIFY(ElapsedMs(start) < 20000);
        poster.join();

        QCOMPARE(RTK_SemDestroy(&sem), 0);
        QCOMPARE(RTK_SemPost(&sem), -1);
        QCOMPARE(RTK_SemTimedWait(&sem, 0), -1);
    }

    void semaphoreCountsPosts()
    {
        int sem = 0;
        QCOMPARE(RTK_SemCreate(&sem, 0), 0);
        for (int i = 0; i < 3; ++i)
            RTK_SemPost(&sem);
        for (int i = 0; i < 3; ++i)
            QCOMPARE(RTK_SemWait(&sem), 0);
        QCOMPARE(RTK_SemTimedWait(&sem, 10), -1);
        RTK_SemDestroy(&sem);
    }

    void semaphoreDestroyWakesWaiter()
    {
        int sem = 0;
        QCOMPARE(RTK_SemCreate(&sem, 0), 0);
        std::atomic<int> result{1};
        std::thread waiter([&] { result = RTK_SemWait(&sem); });
        RTK_Sleep(50);
        QCOMPARE(RTK_SemDestroy(&sem), 0);
        waiter.join();
        QCOMPARE(result.load(), -1);
    }

    void eventWakesOneWaiterAndResets()
    {
        const int event = RTK_CreateEvent(0);
        QVERIFY(event != 0);
        auto start = Clock::now();
        QCOMPARE(RTK_WaitForSingleObject(event, 60), -1);
        QVERIFY(ElapsedMs(start) >= 55);

        std::thread setter([&] {
            RTK_Sleep(30);
            RTK_SetEvent(event);
        });
        QCOMPARE(RTK_WaitForSingleObject(event, 1000000), 0);
        setter.join();
        // Auto-reset: the set was used up by the wait.
        QCOMPARE(RTK_WaitForSingleObject(event, 0), -1);
        QCOMPARE(RTK_CloseEvent(event), 0);
        QCOMPARE(RTK_SetEvent(event), -1);
    }

    void guardUnlocksExactlyOnce()
    {
        RTK_Mutex mutex;
        mutex.Lock();  // held once outside the guard
        {
            RTK_Guard guard(&mutex);
            guard.Release();
            QVERIFY(guard.mutex == nullptr);
            guard.Release();
        }
        // Still held once by this thread: another thread cannot take it.
        bool taken = true;
        std::thread([&] { taken = mutex.TryLock(); }).join();
        QVERIFY(!taken);
        mutex.Unlock();
        std::thread([&] {
            taken = mutex.TryLock();
            if (taken)
                mutex.Unlock();
        }).join();
        QVERIFY(taken);
    }

    void mutexIsRecursiveAndExcludes()
    {
        RTK_Mutex mutex;
        {
            RTK_Guard outer(&mutex);
            RTK_Guard inner(&mutex);  // re-entry on the same thread must not deadlock
        }
        int handle = 0;
        QCOMPARE(RTK_MutexCreate(&handle, 0), 0);
        QVERIFY(handle != 0);
        int counter = 0;
        std::vector<std::thread> threads;
        for (int t = 0; t < 4; ++t)
            threads.emplace_back([&] {
                for (int i = 0; i < 10000; ++i) {
                    RTK_MutexLock(&handle);
                    RTK_MutexLock(&handle);
                    ++counter;
                    RTK_MutexUnlock(&handle);
                    RTK_MutexUnlock(&handle);
                }
            });
        for (auto& t : threads)
            t.join();
        QCOMPARE(counter, 40000);
        QCOMPARE(RTK_MutexDestroy(&handle), 0);
        QCOMPARE(RTK_MutexLock(&handle), -1);
    }

    void outputFileNeverReplacesExisting()
    {
        QTemporaryDir dir;
        const std::string path = dir.filePath("clip.mp4").toStdString();
        QVERIFY(WriteNew(path, "first"));
        errno = 0;
        QCOMPARE(RTK_OpenFile(path.c_str(), RTK_FILE_CREATE_OUTPUT, RTK_SHARE_WRITE), -1);
        QCOMPARE(errno, EEXIST);
        QCOMPARE(ReadAll(path), std::string("first"));

        // An explicit replace does overwrite.
        const int fd = RTK_OpenFile(path.c_str(), RTK_FILE_WRITE | RTK_FILE_REPLACE, 0);
        QVERIFY(fd >= 0);
        QCOMPARE(RTK_WriteFile(fd, "2", 1, nullptr), 0);
        RTK_CloseFile(fd);
        QCOMPARE(ReadAll(path), std::string("2"));
    }

    void openModes_data()
    {
        QTest::addColumn<int>("flags");
        QTest::addColumn<bool>("exists");
        QTest::addColumn<bool>("opens");
        QTest::addColumn<QString>("contentAfter");
        QTest::newRow("read existing") << int(RTK_FILE_READ) << true << true << "old";
        QTest::newRow("read missing") << int(RTK_FILE_READ) << false << false << "<missing>";
        QTest::newRow("output on missing") << int(RTK_FILE_CREATE_OUTPUT) << false << true << "";
        QTest::newRow("output on existing") << int(RTK_FILE_CREATE_OUTPUT) << true << false << "old";
        QTest::newRow("write+truncate existing") << int(RTK_FILE_WRITE | RTK_FILE_TRUNCATE) << true << true << "";
        QTest::newRow("write missing") << int(RTK_FILE_WRITE) << false << false << "<missing>";
        QTest::newRow("replace missing") << int(RTK_FILE_WRITE | RTK_FILE_REPLACE) << false << true << "";
    }

    void openModes()
    {
        QFETCH(int, flags);
        QFETCH(bool, exists);
        QFETCH(bool, opens);
        QFETCH(QString, contentAfter);
        QTemporaryDir dir;
        const std::string path = dir.filePath("f.bin").toStdString();
        if (exists)
            QVERIFY(WriteNew(path, "old"));
        const int fd = RTK_OpenFile(path.c_str(), flags, 0);
        QCOMPARE(fd >= 0, opens);
        if (fd >= 0)
            RTK_CloseFile(fd);
        QCOMPARE(QString::fromStdString(ReadAll(path)), contentAfter);
    }

    void writeToFullDeviceFails()
    {
        const int fd = RTK_OpenFile("/dev/full", RTK_FILE_WRITE, 0);
        if (fd < 0)
            QSKIP("/dev/full is not available");
        size_t written = 99;
        QCOMPARE(RTK_WriteFile(fd, "abc", 3, &written), -1);
        QCOMPARE(written, size_t(0));
        RTK_CloseFile(fd);
        QCOMPARE(RTK_WriteFile(-1, "abc", 3, &written), -1);
    }

    void writeHookSimulatesFullDisk()
    {
        QTemporaryDir dir;
        const std::string path = dir.filePath("out.bin").toStdString();
        const int fd = RTK_OpenFile(path.c_str(), RTK_FILE_CREATE_OUTPUT, RTK_SHARE_WRITE);
        QVERIFY(fd >= 0);
        RTK_Test_FailWritesAfter(10);
        size_t written = 0;
        QCOMPARE(RTK_WriteFile(fd, "0123456", 7, &written), 0);
        QCOMPARE(written, size_t(7));
        // This write crosses the limit: the first 3 bytes land, then it fails.
        QCOMPARE(RTK_WriteFile(fd, "abcdef", 6, &written), -1);
        QCOMPARE(written, size_t(3));
        QCOMPARE(errno, ENOSPC);
        QCOMPARE(RTK_WriteFile(fd, "x", 1, &written), -1);
        QCOMPARE(written, size_t(0));
        RTK_Test_FailWritesAfter(-1);
        QCOMPARE(RTK_WriteFile(fd, "!", 1, &written), 0);
        RTK_CloseFile(fd);
        QCOMPARE(ReadAll(path), std::string("0123456abc!"));
    }

    void readSeekAndReadAt()
    {
        QTemporaryDir dir;
        const std::string path = dir.filePath("index.bin").toStdString();
        QVERIFY(WriteNew(path, "0123456789"));
        const int fd = RTK_OpenFile(path.c_str(), RTK_FILE_READ, RTK_SHARE_READ);
        QVERIFY(fd >= 0);

        RTK_FileInfo info;
        QCOMPARE(RTK_FileStat(fd, &info), 0);
        QCOMPARE(info.size_bytes, int64_t(10));
        QVERIFY(!info.is_dir);

        char buf[16] = {};
        QCOMPARE(RTK_FileSeek(fd, 4, 0, 0), 0);
        QCOMPARE(RTK_ReadFile(fd, buf, 3, 0), 0);
        QCOMPARE(std::string(buf, 3), std::string("456"));
        // Only 3 bytes are left: a read of 4 is a failure, not a short success.
        QCOMPARE(RTK_ReadFile(fd, buf, 4, 0), -1);

        // Positioned reads report their count and leave the position alone.
        QCOMPARE(RTK_FileSeek(fd, 0, 0, 0), 0);
        QCOMPARE(RTK_ReadFileAt(fd, buf, 4, 8), int64_t(2));
        QCOMPARE(std::string(buf, 2), std::string("89"));
        QCOMPARE(RTK_ReadFileAt(fd, buf, 4, 20), int64_t(0));
        QCOMPARE(RTK_ReadFileAt(fd, buf, 4, -1), int64_t(-1));
        QCOMPARE(RTK_ReadFile(fd, buf, 1, 0), 0);
        QCOMPARE(buf[0], '0');

        QCOMPARE(RTK_FileSeek(fd, -2, 2, 0), 0);
        QCOMPARE(RTK_ReadFile(fd, buf, 2, 0), 0);
        QCOMPARE(std::string(buf, 2), std::string("89"));
        QCOMPARE(RTK_FileSeek(fd, -20, 0, 0), -1);
        QCOMPARE(RTK_CloseFile(fd), 0);
        QCOMPARE(RTK_ReadFile(-1, buf, 1, 0), -1);
    }

    // Opening for reading never waits and takes only a file: a FIFO without a writer, a folder or
    // a device in a file's place is refused at once.
    void openReadOnly_data()
    {
        QTest::addColumn<QString>("kind");
        QTest::addColumn<bool>("refuseUnreadable");
        QTest::addColumn<int>("error");  // 0: opens
        const bool root = ::geteuid() == 0;
        QTest::newRow("file") << "file" << false << 0;
        QTest::newRow("fifo without a writer") << "fifo" << false << EINVAL;
        QTest::newRow("folder") << "folder" << false << EINVAL;
        QTest::newRow("character device") << "device" << false << EINVAL;
        QTest::newRow("missing") << "missing" << false << ENOENT;
        QTest::newRow("mode 000") << "unreadable" << false << (root ? 0 : EACCES);
        QTest::newRow("mode 000, refused to root too") << "unreadable" << true << EACCES;
        QTest::newRow("mode 0200, refused to root too") << "writeOnly" << true << EACCES;
        QTest::newRow("mode 0004 is readable") << "otherReadable" << true << 0;
    }

    void openReadOnly()
    {
        QFETCH(QString, kind);
        QFETCH(bool, refuseUnreadable);
        QFETCH(int, error);
        QTemporaryDir dir;
        std::string path = dir.filePath(kind).toStdString();
        const mode_t modes[] = {0644, 0, 0200, 0004};
        const int modeIndex = kind == "unreadable" ? 1 : kind == "writeOnly" ? 2 : kind == "otherReadable" ? 3 : 0;
        if (kind == "fifo") {
            QCOMPARE(::mkfifo(path.c_str(), 0644), 0);
        } else if (kind == "folder") {
            QVERIFY(QDir().mkpath(QString::fromStdString(path)));
        } else if (kind == "device") {
            path = "/dev/null";
        } else if (kind != "missing") {
            QVERIFY(WriteNew(path, "0123456789"));
            QCOMPARE(::chmod(path.c_str(), modes[modeIndex]), 0);
        }
        rtk_test_SetRefuseUnreadable(refuseUnreadable);
        errno = 0;
        const int fd = RTK_OpenReadOnly(path.c_str());
        const int openError = errno;
        rtk_test_SetRefuseUnreadable(false);
        if (error != 0) {
            QCOMPARE(fd, -1);
            QCOMPARE(openError, error);
            return;
        }
        QVERIFY(fd >= 0);
        char buf[4] = {};
        // The file reads as any other: blocking, whole.
        QCOMPARE(RTK_ReadFileAt(fd, buf, 4, 6), int64_t(4));
        QCOMPARE(std::string(buf, 4), std::string("6789"));
        QCOMPARE(RTK_CloseFile(fd), 0);
    }

    // A process started with the seams' variables begins with them on: a station can be run by
    // hand on a slow disk.
    void seamsFromTheEnvironment()
    {
        if (qEnvironmentVariableIsSet("RTK_TEST_CHILD")) {
            QCOMPARE(rtk_test_ReadDelay(), 123);
            QTemporaryDir dir;
            const std::string path = dir.filePath("locked").toStdString();
            QVERIFY(WriteNew(path, "x"));
            QCOMPARE(::chmod(path.c_str(), 0), 0);
            QCOMPARE(RTK_OpenReadOnly(path.c_str()), -1);
            return;
        }
        QCOMPARE(rtk_test_ReadDelay(), 0);
        QProcess child;
        QProcessEnvironment env = QProcessEnvironment::systemEnvironment();
        env.insert("RTK_TEST_CHILD", "1");
        env.insert("VARPEN_TEST_READ_DELAY_MS", "123");
        env.insert("VARPEN_TEST_UNREADABLE_FOR_ROOT", "1");
        child.setProcessEnvironment(env);
        child.setProcessChannelMode(QProcess::MergedChannels);
        child.start(QCoreApplication::applicationFilePath(), {"seamsFromTheEnvironment"});
        QVERIFY(child.waitForFinished(120000));
        QVERIFY2(child.exitCode() == 0, child.readAll().constData());
    }

    void renameReplacesAndDeleteRemoves()
    {
        QTemporaryDir dir;
        const std::string a = dir.filePath("a.tmp").toStdString();
        const std::string b = dir.filePath("b.mp4").toStdString();
        QVERIFY(WriteNew(a, "new"));
        QVERIFY(WriteNew(b, "old"));
        QCOMPARE(RTK_RenameFile(a.c_str(), b.c_str()), 0);
        QCOMPARE(ReadAll(b), std::string("new"));
        QCOMPARE(ReadAll(a), std::string("<missing>"));
        QCOMPARE(RTK_RenameFile(a.c_str(), b.c_str()), -1);
        QCOMPARE(ReadAll(b), std::string("new"));

        QCOMPARE(RTK_DeleteFile(b.c_str()), 0);
        QCOMPARE(ReadAll(b), std::string("<missing>"));
        QCOMPARE(RTK_DeleteFile(b.c_str()), -1);
    }

    void makeDir()
    {
        QTemporaryDir dir;
        const std::string sub = dir.filePath("20240131").toStdString();
        QCOMPARE(RTK_MakeDir(sub.c_str()), 0);
        QCOMPARE(RTK_MakeDir(sub.c_str()), 0);  // an existing folder is harmless
        QVERIFY(QFileInfo(QString::fromStdString(sub)).isDir());

        const std::string file = dir.filePath("plain").toStdString();
        QVERIFY(WriteNew(file, "x"));
        QCOMPARE(RTK_MakeDir(file.c_str()), -1);  // a file in the way is not a folder
        const std::string deep = dir.filePath("no/such/parent").toStdString();
        QCOMPARE(RTK_MakeDir(deep.c_str()), -1);
        QCOMPARE(RTK_MakeDir(""), -1);
    }
};

QTEST_GUILESS_MAIN(TestRtk)
#include "tst_rtk.moc"
