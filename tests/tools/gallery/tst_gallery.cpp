// Runs varpen-gallery --shots in both languages: every widget it knows is pictured, and no
// picture is a blank area.
#include <QDir>
#include <QImage>
#include <QProcess>
#include <QTemporaryDir>
#include <QtTest>

class TestGallery : public QObject {
    Q_OBJECT

private slots:
    void shotsInBothLanguages_data()
    {
        QTest::addColumn<QString>("lang");
        QTest::newRow("English") << QStringLiteral("en");
        QTest::newRow("Chinese") << QStringLiteral("zh");
    }

    void shotsInBothLanguages()
    {
        QFETCH(QString, lang);
        QTemporaryDir dir;
        QVERIFY(dir.isValid());
        QProcess gallery;
        gallery.setProcessChannelMode(QProcess::ForwardedErrorChannel);
        gallery.start(qEnvironmentVariable("VARPEN_BUILD_DIR") + QStringLiteral("/bin/varpen-gallery"),
                      {QStringLiteral("--lang"), lang, QStringLiteral("--shots"), dir.path()});
        QVERIFY(gallery.waitForFinished(240000));
        QCOMPARE(gallery.exitStatus(), QProcess::NormalExit);
        QCOMPARE(gallery.exitCode(), 0);

        const QStringList printed =
            QString::fromLocal8Bit(gallery.readAllStandardOutput()).split(QLatin1Char('\n'), Qt::SkipEmptyParts);
        const QStringList files = QDir(dir.path()).entryList({QStringLiteral("*.png")}, QDir::Files);
        QVERIFY(!files.isEmpty());
        QCOMPARE(printed.size(), files.size());
        for (const QString& name : files) {
            const QImage image(dir.filePath(name));
            QVERIFY2(!image.isNull(), qPrintable(name));
            QVERIFY2(image.width() > 8 && image.height() > 8, qPrintable(name));
            // A picture of one colour is a widget that drew nothing.
            const QRgb first = image.pixel(0, 0);
            bool varied = false;
            for (int y = 0; y < image.height() && !varied; y += 2)
                for (int x = 0; x < image.width() && !varied; x += 2)
                    varied = image.pixel(x, y) != first;
            QVERIFY2(varied, qPrintable(name + QStringLiteral(" is blank")));
        }
    }
};

QTEST_GUILESS_MAIN(TestGallery)
#include "tst_gallery.moc"
