#include "app/gui/OstraStyle.h"

#include <QImage>
#include <QPainter>
#include <QStyleOption>
#include <QTest>

namespace {

QImage Canvas(int w, int h)
{
    QImage image(w, h, QImage::Format_ARGB32_Premultiplied);
    image.fill(Qt::transparent);
    return image;
}

// Columns of the middle row painted in the accent colour of the chunk images.
int ChunkColumns(const QImage& image)
{
    int count = 0;
    const int row = image.height() / 2;
    for (int x = 0; x < image.width(); ++x) {
        const QColor c = image.pixelColor(x, row);
        if (c.alpha() > 200 && c.blue() > 0xa0)
            ++count;
    }
    return count;
}

}  // namespace

class TestStyle : public QObject {
    Q_OBJECT
private slots:
    void metricsAndSizes();
    void progressChunkWidth_data();
    void progressChunkWidth();
    void progressBarPainting_data();
    void progressBarPainting();
    void tabShapeImage();
    void nothingDrawnForFocusAndTear();
    void horizontalSliderRects();
    void checkBoxOnlyInRowsThatHaveOne();

private:
    COstraStyle m_style;
};

void TestStyle::metricsAndSizes()
{
    QCOMPARE(m_style.pixelMetric(QStyle::PM_SliderLength), 13);
    QCOMPARE(m_style.pixelMetric(QStyle::PM_TabCloseIndicatorWidth), 20);
    QCOMPARE(m_style.pixelMetric(QStyle::PM_TabCloseIndicatorHeight), 20);
    QCOMPARE(m_style.pixelMetric(QStyle::PM_MenuButtonIndicator), 0);

    QStyleOptionTab tab;
    QCOMPARE(m_style.sizeFromContents(QStyle::CT_TabBarTab, &tab, QSize(80, 20)).height(), 40);
    QStyleOptionButton radio;
    QStyle* base = m_style.baseStyle();
    QCOMPARE(m_style.sizeFromContents(QStyle::CT_RadioButton, &radio, QSize(50, 16)).width(),
             base->sizeFromContents(QStyle::CT_RadioButton, &radio, QSize(50, 16)).width() + 20);
    QStyleOptionSlider slider;
    QCOMPARE(m_style.sizeFromContents(QStyle::CT_Slider, &slider, QSize(100, 30)).height(), 10);
}

void TestStyle::progressChunkWidth_data()
{
    QTest::addColumn<QList<qint64>>("args");  // width, leftChunk, right, min, max, progress
    QTest::addColumn<qint64>("expected");
    QTest::newRow("half") << QList<qint64>{104, 4, 4, 0, 100, 50} << qint64(48);
    QTest::newRow("full") << QList<qint64>{104, 4, 4, 0, 100, 100} << qint64(96);
    QTest::newRow("at minimum") << QList<qint64>{104, 4, 4, 10, 20, 10} << qint64(0);
    QTest::newRow("min equals max") << QList<qint64>{104, 4, 4, 5, 5, 5} << qint64(0);
    QTest::newRow("min above max") << QList<qint64>{104, 4, 4, 9, 5, 7} << qint64(0);
    QTest::newRow("large range in 64 bits") << QList<qint64>{1000, 4, 4, 0, 2147483647, 2147483646} << qint64(991);
}

void TestStyle::progressChunkWidth()
{
    QFETCH(QList<qint64>, args);
    QFETCH(qint64, expected);
    QCOMPARE(COstraStyle::ProgressChunkWidth(int(args[0]), int(args[1]), int(args[2]), args[3], args[4], args[5]),
             expected);
}

void TestStyle::progressBarPainting_data()
{
    QTest::addColumn<int>("minimum");
    QTest::addColumn<int>("maximum");
    QTest::addColumn<int>("progress");
    QTest::addColumn<int>("columns");
    QTest::newRow("minimum shows the groove only") << 0 << 100 << 0 << 0;
    QTest::newRow("half") << 0 << 100 << 50 << 4 + 48;
    QTest::newRow("maximum shows all three chunks") << 0 << 100 << 100 << 104;
    QTest::newRow("empty range") << 7 << 7 << 7 << 0;
}

void TestStyle::progressBarPainting()
{
    QFETCH(int, minimum);
    QFETCH(int, maximum);
    QFETCH(int, progress);
    QFETCH(int, columns);
    QStyleOptionProgressBar option;
    option.rect = QRect(0, 0, 104, 8);
    option.minimum = minimum;
    option.maximum = maximum;
    option.progress = progress;
    option.state = QStyle::State_Enabled;
    QImage image = Canvas(104, 8);
    {
        QPainter painter(&image);
        m_style.drawControl(QStyle::CE_ProgressBarGroove, &option, &painter);
        m_style.drawControl(QStyle::CE_ProgressBarContents, &option, &painter);
    }
    // The groove always covers the whole bar.
    QVERIFY(image.pixelColor(52, 4).alpha() == 255);
    QCOMPARE(ChunkColumns(image), columns);
}

void TestStyle::tabShapeImage()
{
    const QImage selectedImage(":/images/Tab/TabSelect.png");
    const QImage unselectedImage(":/images/Tab/TabUnselect.png");
    QCOMPARE(selectedImage.size(), QSize(5, 39));
    QVERIFY(selectedImage.pixel(2, 20) != unselectedImage.pixel(2, 20));

    for (const bool selected : {true, false}) {
        QStyleOptionTab tab;
        tab.rect = QRect(0, 0, 60, 39);
        tab.state = QStyle::State_Enabled | (selected ? QStyle::State_Selected : QStyle::State_None);
        QImage image = Canvas(60, 39);
        {
            QPainter painter(&image);
            m_style.drawControl(QStyle::CE_TabBarTabShape, &tab, &painter);
        }
        const QImage& expected = selected ? selectedImage : unselectedImage;
        QCOMPARE(image.pixel(30, 20), expected.convertToFormat(QImage::Format_ARGB32_Premultiplied).pixel(2, 20));
        QCOMPARE(image.pixelColor(1, 20).alpha(), 0);   // left edge moved in by 2
        QCOMPARE(image.pixelColor(59, 20).alpha(), 0);  // right edge moved in by 1
    }
}

void TestStyle::nothingDrawnForFocusAndTear()
{
    for (const auto element : {QStyle::PE_FrameFocusRect, QStyle::PE_FrameTabBarBase, QStyle::PE_IndicatorTabTear,
                               QStyle::PE_PanelItemViewRow}) {
        QStyleOptionFocusRect option;
        option.rect = QRect(0, 0, 40, 20);
        option.state = QStyle::State_Enabled | QStyle::State_HasFocus;
        QImage image = Canvas(40, 20);
        {
            QPainter painter(&image);
            m_style.drawPrimitive(element, &option, &painter);
        }
        QImage blank = Canvas(40, 20);
        QCOMPARE(image, blank);
    }
}

void TestStyle::horizontalSliderRects()
{
    QStyleOptionSlider slider;
    slider.rect = QRect(0, 0, 200, 30);
    slider.orientation = Qt::Horizontal;
    slider.minimum = 0;
    slider.maximum = 100;
    const QRect handle = m_style.subControlRect(QStyle::CC_Slider, &slider, QStyle::SC_SliderHandle);
    const QRect groove = m_style.subControlRect(QStyle::CC_Slider, &slider, QStyle::SC_SliderGroove);
    const int h = m_style.baseStyle()->subControlRect(QStyle::CC_Slider, &slider, QStyle::SC_SliderHandle).height();
    QCOMPARE(handle.top(), h / 2 - 4);
    QCOMPARE(handle.height(), 10);
    QCOMPARE(groove.height(), 4);

    slider.orientation = Qt::Vertical;
    QCOMPARE(m_style.subControlRect(QStyle::CC_Slider, &slider, QStyle::SC_SliderHandle),
             m_style.baseStyle()->subControlRect(QStyle::CC_Slider, &slider, QStyle::SC_SliderHandle));
}

// A row of a view keeps its check box inside itself, 16 pixels square; a row without a check box
// has no check box rectangle at all (one at the view's corner would be painted over the first row).
void TestStyle::checkBoxOnlyInRowsThatHaveOne()
{
    QStyleOptionViewItem row;
    row.rect = QRect(0, 52, 200, 26);
    row.text = QStringLiteral("Recorder NVR_1");
    row.features = QStyleOptionViewItem::HasDisplay;
    row.state = QStyle::State_Enabled;
    QVERIFY(m_style.subElementRect(QStyle::SE_ItemViewItemCheckIndicator, &row).isEmpty());

    row.features |= QStyleOptionViewItem::HasCheckIndicator;
    const QRect box = m_style.subElementRect(QStyle::SE_ItemViewItemCheckIndicator, &row);
    QCOMPARE(box.size(), QSize(16, 16));
    QVERIFY(row.rect.contains(box));
    QVERIFY(!box.intersects(m_style.subElementRect(QStyle::SE_ItemViewItemText, &row)));
}

QTEST_MAIN(TestStyle)
#include "tst_style.moc"
