#include <QtTest>

#include <QDateTime>
#include <QPainter>

#include "tools/varpen-sample/SampleCode.h"

class TestSampleCode : public QObject {
    Q_OBJECT
private slots:
    void roundTrip_data();
    void roundTrip();
    void damagedMarkIsInvalid();
};

void TestSampleCode::roundTrip_data()
{
    QTest::addColumn<QSize>("drawn");
    QTest::addColumn<QSize>("shown");  // the picture as a surface shows it
    QTest::addColumn<qint64>("time");
    QTest::addColumn<int>("frame");
    QTest::addColumn<int>("channel");
    const qint64 t = QDateTime(QDate(2024, 1, 31), QTime(23, 59, 59)).toSecsSinceEpoch();
    QTest::newRow("352x288 as drawn") << QSize(352, 288) << QSize(352, 288) << t << 24 << 3;
    QTest::newRow("scaled up") << QSize(352, 288) << QSize(1280, 720) << t << 0 << 0;
    QTest::newRow("scaled down") << QSize(640, 360) << QSize(320, 180) << t << 13 << 255;
    QTest::newRow("odd size") << QSize(176, 144) << QSize(301, 211) << qint64(946684800) << 255 << 16;
    QTest::newRow("year 2100") << QSize(352, 288) << QSize(352, 288)
                               << QDateTime(QDate(2100, 6, 1), QTime(0, 0)).toSecsSinceEpoch() << 1 << 1;
}

void TestSampleCode::roundTrip()
{
    QFETCH(QSize, drawn);
    QFETCH(QSize, shown);
    QFETCH(qint64, time);
    QFETCH(int, frame);
    QFETCH(int, channel);
    QImage img(drawn, QImage::Format_RGB32);
    img.fill(QColor(90, 140, 60));
    SampleCode::draw(img, {time, frame, channel, true});
    const QImage scaled = img.scaled(shown, Qt::IgnoreAspectRatio, Qt::SmoothTransformation);
    const SampleCode::Mark m = SampleCode::read(scaled);
    QVERIFY(m.valid);
    QCOMPARE(m.time, time);
    QCOMPARE(m.frame, frame);
    QCOMPARE(m.channel, channel);
    QVERIFY(QRect(QPoint(), drawn).contains(SampleCode::barcodeRect(drawn)));
}

void TestSampleCode::damagedMarkIsInvalid()
{
    QImage img(352, 288, QImage::Format_RGB32);
    img.fill(Qt::gray);
    QVERIFY(!SampleCode::read(img).valid);  // no mark at all
    QVERIFY(!SampleCode::read(QImage()).valid);
    SampleCode::draw(img, {1706655599, 5, 2, true});
    QVERIFY(SampleCode::read(img).valid);
    // Flip one cell in the middle of the time bits: the check bits must notice.
    const QRect r = SampleCode::barcodeRect(img.size());
    const int cw = r.width() / 16, ch = r.height() / 4;
    const QPoint cell(r.x() + 5 * cw + cw / 2, r.y() + ch / 2);
    const bool white = qGray(img.pixel(cell)) > 128;
    QPainter(&img).fillRect(QRect(r.x() + 5 * cw, r.y(), cw, ch), white ? Qt::black : Qt::white);
    QVERIFY(!SampleCode::read(img).valid);
}

QTEST_MAIN(TestSampleCode)
#include "tst_samplecode.moc"
