// varpen-inspect play and frame on the sample recordings: the printed times advance with the
// chosen speed, and a saved frame is the picture of the time asked for.
#include <QtTest>

#include "tests/support/ChildRun.h"
#include "tools/varpen-sample/SampleCode.h"

namespace {

QString BuildDir()
{
    return QString::fromLocal8Bit(qgetenv("VARPEN_BUILD_DIR"));
}

// Runs varpen-inspect; its stdout lines, or an empty list when it failed.
QStringList Inspect(const QStringList& args, int* exitCode = nullptr)
{
    const ChildResult r = RunChild(BuildDir() + QStringLiteral("/bin/varpen-inspect"), args, 120000);
    if (exitCode)
        *exitCode = r.finished && !r.crashed ? r.exitCode : -1;
    return QString::fromUtf8(r.out).split(QLatin1Char('\n'), Qt::SkipEmptyParts);
}

time_t ParseShown(const QString& text)
{
    const QDateTime dt = QDateTime::fromString(text, QStringLiteral("yyyy-MM-dd hh:mm:ss"));
    return dt.isValid() ? time_t(dt.toSecsSinceEpoch()) : -1;
}

// Seconds of recording that passed between the first and the last printed time (-1 when a
// time went backwards or none was printed).
int Advance(const QStringList& lines)
{
    std::vector<time_t> times;
    for (const QString& line : lines) {
        const QStringList cells = line.split(QLatin1Char('\t'));
        bool isNumber = false;
        cells.value(0).toInt(&isNumber);
        if (isNumber && cells.size() == 2 && ParseShown(cells[1]) != -1)
            times.push_back(ParseShown(cells[1]));
    }
    if (times.size() < 2 || !std::is_sorted(times.begin(), times.end()))
        return -1;
    return int(times.back() - times.front());
}

}  // namespace

class TestInspectPlay : public QObject {
    Q_OBJECT

private slots:
    void timesAdvanceWithTheSpeed()
    {
        const QString tiny = BuildDir() + QStringLiteral("/samples/test/tiny");
        const QStringList common{QStringLiteral("play"),
                                 tiny,
                                 QStringLiteral("NVR_1"),
                                 QStringLiteral("1"),
                                 QStringLiteral("2024-01-30 00:00:00"),
                                 QStringLiteral("2024-01-30 23:59:59"),
                                 QStringLiteral("--at"),
                                 QStringLiteral("2024-01-30 10:00:00"),
                                 QStringLiteral("--seconds"),
                                 QStringLiteral("4")};
        int rc = -1;
        const QStringList normal = Inspect(common, &rc);
        QCOMPARE(rc, 0);
        const QStringList fast = Inspect(common + QStringList{QStringLiteral("--speed"), QStringLiteral("1")}, &rc);
        QCOMPARE(rc, 0);
        const int a1 = Advance(normal), a2 = Advance(fast);
        QVERIFY2(a1 >= 1, qPrintable(normal.join(QLatin1Char('|'))));
        // 2x against 1x: faster, whatever the load on the machine.
        QVERIFY2(a2 > a1,
                 qPrintable(normal.join(QLatin1Char('|')) + QStringLiteral(" / ") + fast.join(QLatin1Char('|'))));
        QVERIFY(fast.last().startsWith(QStringLiteral("frames shown\t")));
        QVERIFY(fast.last().section(QLatin1Char('\t'), 1).toInt() > 0);
    }

    // Other recorders' files play on from one file into the next.
    void foreignFilesPlay_data()
    {
        QTest::addColumn<QString>("set");
        QTest::newRow("other header, TS") << "foreign-ts";
        QTest::newRow("no header, program stream") << "foreign-ps";
    }
    void foreignFilesPlay()
    {
        QFETCH(QString, set);
        int rc = -1;
        const QStringList lines = Inspect(
            {QStringLiteral("play"), BuildDir() + QStringLiteral("/samples/test/") + set, QStringLiteral("NVR_1"),
             QStringLiteral("1"), QStringLiteral("2024-01-30 00:00:00"), QStringLiteral("2024-01-30 23:59:59"),
             QStringLiteral("--at"), QStringLiteral("2024-01-30 10:00:02"), QStringLiteral("--seconds"),
             QStringLiteral("6"), QStringLiteral("--speed"), QStringLiteral("1")},
            &rc);
        QCOMPARE(rc, 0);
        // At 2x for 6 s, from 10:00:02 past the start of the second file at 10:00:04.
        QVERIFY2(Advance(lines) >= 2, qPrintable(lines.join(QLatin1Char('|'))));
    }

    void frameIsThePictureOfTheTime_data()
    {
        QTest::addColumn<QString>("source");
        QTest::addColumn<QString>("group");
        QTest::addColumn<QString>("number");
        QTest::addColumn<QString>("time");
        QTest::addColumn<QString>("file");
        QTest::newRow("folder, png") << "tiny"
                                     << "NVR_1"
                                     << "1"
                                     << "2024-01-30 10:00:07"
                                     << "f.png";
        QTest::newRow("folder, in a gap") << "tiny"
                                          << "NVR_1"
                                          << "1"
                                          << "2024-01-30 10:00:05"
                                          << "f.bmp";
        // Other recorders' files: another header before MPEG-TS, none before a program stream.
        QTest::newRow("other header, TS, B-frames") << "foreign-ts"
                                                    << "NVR_1"
                                                    << "1"
                                                    << "2024-01-30 10:00:03"
                                                    << "f.png";
        QTest::newRow("other header, next file") << "foreign-ts"
                                                 << "NVR_1"
                                                 << "1"
                                                 << "2024-01-30 10:00:05"
                                                 << "f.png";
        QTest::newRow("no header, program stream") << "foreign-ps"
                                                   << "NVR_1"
                                                   << "1"
                                                   << "2024-01-30 10:00:03"
                                                   << "f.png";
        QTest::newRow("disk, jpg") << "disk-plain.img"
                                   << ""
                                   << "0"
                                   << "2024-01-30 10:00:08"
                                   << "f.jpg";
    }
    void frameIsThePictureOfTheTime()
    {
        QFETCH(QString, source);
        QFETCH(QString, group);
        QFETCH(QString, number);
        QFETCH(QString, time);
        QFETCH(QString, file);
        QTemporaryDir dir;
        const QString out = dir.filePath(file);
        int rc = -1;
        const QStringList lines = Inspect(
            {QStringLiteral("frame"), BuildDir() + QStringLiteral("/samples/test/") + source, group, number, time, out},
            &rc);
        QCOMPARE(rc, 0);
        QCOMPARE(lines.size(), 1);
        const time_t shown = ParseShown(lines[0].section(QLatin1Char('\t'), 0, 0));
        const time_t asked = ParseShown(time);
        // In a gap the next recording's first picture is shown.
        QVERIFY(shown >= asked && shown <= asked + 1);
        const SampleCode::Mark mark = SampleCode::read(QImage(out));
        QVERIFY(mark.valid);
        QCOMPARE(time_t(mark.time), shown);
    }

    void refusals()
    {
        int rc = 0;
        Inspect({QStringLiteral("frame"), BuildDir() + QStringLiteral("/samples/test/tiny"), QStringLiteral("NVR_1"),
                 QStringLiteral("1"), QStringLiteral("2024-01-30 12:00:00"), QStringLiteral("/tmp/x.png")},
                &rc);
        QCOMPARE(rc, 1);  // after every recording
        Inspect({QStringLiteral("play"), QStringLiteral("nowhere")}, &rc);
        QCOMPARE(rc, 1);
    }
};

QTEST_GUILESS_MAIN(TestInspectPlay)
#include "tst_inspectplay.moc"
