// The stream generator's numbered streams, as the player tests take them: every picture reads
// back as its index in the order shown, the header tells the stream's shape, and the parameter
// sets stand before every keyframe or, when asked, only before the first.
#include <QGuiApplication>
#include <QTemporaryDir>
#include <QtTest>

#include <vector>

#include "platform/streamfmt/streamfmt.h"
#include "tools/varpen-sample/SampleGen.h"

namespace {

QString WriteOut(const QTemporaryDir& dir, const SampleGen::Stream& s)
{
    const QString path = dir.filePath(QStringLiteral("stream.bin"));
    QFile f(path);
    if (!f.open(QIODevice::WriteOnly))
        return {};
    f.write(reinterpret_cast<const char*>(s.header.data()), qint64(s.header.size()));
    f.write(reinterpret_cast<const char*>(s.body.data()), qint64(s.body.size()));
    return path;
}

}  // namespace

class TestStreamGen : public QObject {
    Q_OBJECT

private slots:
    void numberedStreams_data()
    {
        QTest::addColumn<int>("frames");
        QTest::addColumn<int>("bframes");
        QTest::addColumn<bool>("paramsOnce");
        QTest::addColumn<bool>("audio");
        QTest::addColumn<int>("parameterSets");
        QTest::newRow("plain") << 60 << 0 << false << false << 3;
        QTest::newRow("B-frames") << 60 << 2 << false << false << 3;
        QTest::newRow("parameter sets once") << 60 << 0 << true << false << 1;
        QTest::newRow("sound") << 30 << 0 << false << true << 2;
    }

    void numberedStreams()
    {
        QFETCH(int, frames);
        QFETCH(int, bframes);
        QFETCH(bool, paramsOnce);
        QFETCH(bool, audio);
        QFETCH(int, parameterSets);
        SampleGen::SegmentParams p = SampleGen::NumberedStream(frames, 25);
        p.bframes = bframes;
        p.params_once = paramsOnce;
        p.audio = audio;
        QString error;
        const SampleGen::Stream s = SampleGen::MakeStream(p, &error);
        QVERIFY2(!s.body.empty(), qPrintable(error));

        SF_StreamHeader h;
        QVERIFY(SF_ParseHeader(s.header.data(), s.header.size(), &h));
        QCOMPARE(int(h.width), 320);
        QCOMPARE(int(h.height), 240);
        QCOMPARE(int(h.frame_rate_milli), 25000);
        QCOMPARE(h.start_time, std::int64_t(1704164645));
        QCOMPARE(h.pts_origin, std::int64_t(90000));
        QCOMPARE(int(h.audio_codec), int(audio ? SF_AUDIO_AAC : SF_AUDIO_NONE));

        QTemporaryDir dir;
        const QString path = WriteOut(dir, s);
        std::vector<int> codes;
        const SampleGen::DecodeReport r = SampleGen::DecodePictures(
            path, SF_HEADER_SIZE, [&](const QImage& image) { codes.push_back(SampleGen::ReadFrameNumber(image)); });
        QCOMPARE(r.errors, 0);
        QCOMPARE(r.audio_packets > 0, audio);
        QCOMPARE(int(codes.size()), frames);
        for (int i = 0; i < frames; ++i)
            QCOMPARE(codes[std::size_t(i)], i);
        QCOMPARE(r.parameter_sets, parameterSets);
    }

    void unreadablePicturesAreNoNumber()
    {
        QCOMPARE(SampleGen::ReadFrameNumber(QImage()), -1);
        QImage grey(64, 48, QImage::Format_RGB32);
        grey.fill(QColor(128, 128, 128));
        QCOMPARE(SampleGen::ReadFrameNumber(grey), -1);
    }
};

int main(int argc, char** argv)
{
    QGuiApplication app(argc, argv);
    TestStreamGen t;
    return QTest::qExec(&t, argc, argv);
}
#include "tst_streamgen.moc"
