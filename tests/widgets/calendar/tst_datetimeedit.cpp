// The date-time editor and its calendar pop-up: start values, the pop-up's placement on one and
// on two screens (this test runs on a desktop of two screens side by side), and its states.
#include "CalendarFixture.h"
#include "widgets/DateTimeEdit.h"

#include <QGuiApplication>
#include <QLineEdit>
#include <QPointer>
#include <QScreen>
#include <QSignalSpy>
#include <QStyle>
#include <QStyleOptionComboBox>
#include <QTest>
#include <QVBoxLayout>

using namespace CalendarFixture;

namespace {

// Keys as the window system hands them over: a press and a release for each key, given to the
// window and delivered to whichever widget holds the focus. "<Left>", "<Right>" and "<Tab>" name
// keys without text; every other character is the key that types it, ":" with Shift as on most
// keyboards. A short pause follows each separator, as a person makes between the parts of a date.
void TypeIntoWindow(QWindow* window, const QString& keys)
{
    for (int i = 0; i < keys.size(); ++i) {
        Qt::Key key = Qt::Key_unknown;
        QString text;
        if (keys.at(i) == QLatin1Char('<')) {
            const int end = keys.indexOf(QLatin1Char('>'), i);
            const QString name = keys.mid(i + 1, end - i - 1);
            i = end;
            key = name == QLatin1String("Left")    ? Qt::Key_Left
                  : name == QLatin1String("Right") ? Qt::Key_Right
                                                   : Qt::Key_Tab;
            if (key == Qt::Key_Tab)
                text = QStringLiteral("\t");
        } else {
            const QChar c = keys.at(i);
            text = QString(c);
            key = c.isDigit()             ? Qt::Key(Qt::Key_0 + c.digitValue())
                  : c == QLatin1Char('-') ? Qt::Key_Minus
                  : c == QLatin1Char(':') ? Qt::Key_Colon
                  : c == QLatin1Char('/') ? Qt::Key_Slash
                                          : Qt::Key_Space;
        }
        const Qt::KeyboardModifiers modifiers = key == Qt::Key_Colon ? Qt::ShiftModifier : Qt::NoModifier;
        QTest::sendKeyEvent(QTest::Press, window, key, text, modifiers);
        QTest::sendKeyEvent(QTest::Release, window, key, text, modifiers);
        if (!text.isEmpty() && !text.at(0).isDigit())
            QTest::qWait(20);
    }
}

// The point of the editor's text between the characters `pos` - 1 and `pos`, in the window.
QPoint TextPoint(QDateTimeEdit* editor, int pos)
{
    auto* line = editor->findChild<QLineEdit*>();
    const int x = line->contentsRect().x() + line->textMargins().left() + 2 +
                  line->fontMetrics().horizontalAdvance(line->text().left(pos));
    return line->mapTo(editor->window(), QPoint(x, line->height() / 2));
}

}  // namespace

class TestDateTimeEdit : public QObject {
    Q_OBJECT
private slots:
    void startValues();
    void placement_data();
    void placement();
    void popupOpensOnTheEditorsScreen_data();
    void popupOpensOnTheEditorsScreen();
    void keysFollowAndEscapeReverts();
    void clickingADaySetsItAndCloses();
    void daysOutsideTheRangeCannotBePicked();
    void pressOnTheArrowClosesWithoutReopening();
    void keysNeverOpenTheToolkitsCalendar();
    void typedLikeAnOperator_data();
    void typedLikeAnOperator();
    void replacedCalendarGoesAndTheNewOneAnswers();
    void timeEdit();

private:
    // A top-level editor at a global position, shown, with its pop-up opened.
    static std::unique_ptr<CDateTimeEdit> OpenAt(const QPoint& pos, const QDateTime& value);
};

std::unique_ptr<CDateTimeEdit> TestDateTimeEdit::OpenAt(const QPoint& pos, const QDateTime& value)
{
    auto editor = std::make_unique<CDateTimeEdit>(value);
    editor->setFixedWidth(200);
    editor->move(pos);
    if (QScreen* screen = QGuiApplication::screenAt(pos))
        editor->setScreen(screen);
    editor->show();
    if (!QTest::qWaitForWindowExposed(editor.get()))
        return editor;
    Mouse(editor.get(), QEvent::MouseButtonPress, QPoint(editor->width() - 8, editor->height() / 2), Qt::LeftButton,
          Qt::LeftButton);
    return editor;
}

void TestDateTimeEdit::startValues()
{
    const QString today = QDate::currentDate().toString(QStringLiteral("yyyy-MM-dd"));
    QCOMPARE(CDateTimeEdit().text(), today + QStringLiteral(" 00:00:00"));
    const QDateTime given(QDate(2020, 2, 3), QTime(4, 5, 6));
    QCOMPARE(CDateTimeEdit(given).text(), QStringLiteral("2020-02-03 04:05:06"));
    QCOMPARE(CDateTimeEdit(QDate(2020, 2, 3)).text(), QStringLiteral("2020-02-03 00:00:00"));
    QCOMPARE(CDateTimeEdit(QTime(4, 5, 6)).text(), today + QStringLiteral(" 04:05:06"));
    // The date editor of the item delegates builds a date-typed field this way.
    const CDateTimeEdit dateOnly(QVariant(QDate(2020, 2, 3)), QMetaType::QDate);
    QCOMPARE(dateOnly.date(), QDate(2020, 2, 3));
    QVERIFY(dateOnly.displayedSections() & QDateTimeEdit::DaySection);
    QVERIFY(CDateTimeEdit().calendarPopup());
    QCOMPARE(CDateTimeEdit().displayFormat(), QStringLiteral("yyyy-MM-dd hh:mm:ss"));
}

void TestDateTimeEdit::placement_data()
{
    QTest::addColumn<QRect>("editor");
    QTest::addColumn<QRect>("screen");
    QTest::addColumn<QPoint>("expected");
    const QSize popup(183, 200);
    Q_UNUSED(popup);
    const QRect left(0, 0, 1280, 1024);
    const QRect right(1280, 200, 1024, 768);
    QTest::newRow("high up: below, on the editor's last row") << QRect(50, 100, 200, 24) << left << QPoint(50, 123);
    QTest::newRow("low down: above") << QRect(50, 880, 200, 24) << left << QPoint(50, 680);
    QTest::newRow("at three quarters: below") << QRect(50, 745, 200, 24) << left << QPoint(50, 768);
    QTest::newRow("just past three quarters: above") << QRect(50, 746, 200, 24) << left << QPoint(50, 546);
    QTest::newRow("right edge: moved in") << QRect(1200, 100, 200, 24) << left << QPoint(1280 - 183, 123);
    QTest::newRow("second screen, high: below") << QRect(1300, 400, 200, 24) << right << QPoint(1300, 423);
    // 750 is below three quarters of the first screen but above those of the second one's top.
    QTest::newRow("second screen, low: above") << QRect(1300, 780, 200, 24) << right << QPoint(1300, 580);
    QTest::newRow("second screen, at its top") << QRect(1300, 200, 200, 24) << right << QPoint(1300, 223);
    QTest::newRow("second screen, right edge") << QRect(2250, 300, 60, 24) << right << QPoint(2304 - 183, 323);
    // A short screen where neither side fits: kept inside the screen, over the editor.
    QTest::newRow("short screen") << QRect(10, 120, 200, 24) << QRect(0, 0, 800, 300) << QPoint(10, 100);
    // Too small either way: kept inside, from the top.
    QTest::newRow("tiny screen") << QRect(10, 60, 200, 24) << QRect(0, 0, 400, 150) << QPoint(10, 0);
}

void TestDateTimeEdit::placement()
{
    QFETCH(QRect, editor);
    QFETCH(QRect, screen);
    QFETCH(QPoint, expected);
    const QSize popup(183, 200);
    const QPoint at = CalendarPopupPosition(editor, popup, screen);
    QCOMPARE(at, expected);
    if (screen.height() >= popup.height())
        QVERIFY(screen.contains(QRect(at, popup)));
}

void TestDateTimeEdit::popupOpensOnTheEditorsScreen_data()
{
    QTest::addColumn<int>("screenIndex");
    QTest::addColumn<QPointF>("offset");  // of the editor from the screen's top-left, by its size
    QTest::addColumn<bool>("above");
    QTest::newRow("first, high") << 0 << QPointF(0.1, 0.1) << false;
    QTest::newRow("first, low") << 0 << QPointF(0.1, 0.9) << true;
    QTest::newRow("second, high") << 1 << QPointF(0.1, 0.1) << false;
    QTest::newRow("second, low") << 1 << QPointF(0.1, 0.9) << true;
    QTest::newRow("second, right edge") << 1 << QPointF(0.9, 0.1) << false;
}

void TestDateTimeEdit::popupOpensOnTheEditorsScreen()
{
    QFETCH(int, screenIndex);
    QFETCH(QPointF, offset);
    QFETCH(bool, above);
    const QList<QScreen*> screens = QGuiApplication::screens();
    if (screenIndex >= screens.size())
        QSKIP("the platform gave one screen only");
    QScreen* screen = screens.at(screenIndex);
    const QRect area = screen->availableGeometry();
    const QPoint at = area.topLeft() + QPoint(int(area.width() * offset.x()), int(area.height() * offset.y()));
    auto editor = OpenAt(at, QDateTime(QDate(2024, 5, 14), QTime(8, 0)));
    CCalendarTimePopup* popup = editor->Popup();
    QVERIFY(popup);
    QVERIFY(popup->isVisible());
    const QRect editorRect(editor->mapToGlobal(QPoint(0, 0)), editor->size());
    const QRect shown = popup->geometry();
    QVERIFY2(
        area.contains(shown),
        qPrintable(QStringLiteral("%1,%2 %3x%4").arg(shown.x()).arg(shown.y()).arg(shown.width()).arg(shown.height())));
    QCOMPARE(popup->screen(), screen);
    if (above)
        QCOMPARE(shown.bottom(), editorRect.top() - 1);
    else
        QCOMPARE(shown.top(), editorRect.bottom());
    popup->close();
}

void TestDateTimeEdit::keysFollowAndEscapeReverts()
{
    auto editor = OpenAt(QPoint(100, 100), QDateTime(QDate(2024, 5, 14), QTime(8, 30)));
    CCalendarTimePopup* popup = editor->Popup();
    QVERIFY(popup && popup->isVisible());
    QWidget* view = popup->GetCalendarWidget()->View();
    QTest::keyClick(view, Qt::Key_Right);
    QCOMPARE(editor->date(), QDate(2024, 5, 15));
    QTest::keyClick(view, Qt::Key_Down);
    QCOMPARE(editor->date(), QDate(2024, 5, 22));
    QCOMPARE(editor->time(), QTime(8, 30));
    QTest::keyClick(view, Qt::Key_Escape);
    QVERIFY(!popup->isVisible());
    QCOMPARE(editor->date(), QDate(2024, 5, 14));
    // A pop-up closed without Escape leaves the date the calendar showed last.
    Mouse(editor.get(), QEvent::MouseButtonPress, QPoint(editor->width() - 8, 5), Qt::LeftButton, Qt::LeftButton);
    QVERIFY(popup->isVisible());
    QTest::keyClick(view, Qt::Key_Left);
    popup->hide();
    QCOMPARE(editor->date(), QDate(2024, 5, 13));
}

void TestDateTimeEdit::clickingADaySetsItAndCloses()
{
    auto editor = OpenAt(QPoint(100, 100), QDateTime(QDate(2024, 5, 14), QTime(8, 30, 15)));
    CCalendarTimePopup* popup = editor->Popup();
    QVERIFY(popup && popup->isVisible());
    Click(popup->GetCalendarWidget(), QDate(2024, 5, 23));
    QVERIFY(!popup->isVisible());
    QCOMPARE(editor->dateTime(), QDateTime(QDate(2024, 5, 23), QTime(8, 30, 15)));
}

void TestDateTimeEdit::daysOutsideTheRangeCannotBePicked()
{
    auto editor = std::make_unique<CDateTimeEdit>(QDateTime(QDate(2024, 5, 14), QTime(8, 0)));
    editor->setDateRange(QDate(2024, 5, 10), QDate(2024, 5, 20));
    editor->move(100, 100);
    editor->show();
    QVERIFY(QTest::qWaitForWindowExposed(editor.get()));
    Mouse(editor.get(), QEvent::MouseButtonPress, QPoint(editor->width() - 8, 5), Qt::LeftButton, Qt::LeftButton);
    CCalendarTimePopup* popup = editor->Popup();
    QCOMPARE(popup->GetCalendarWidget()->GetMinimumDate(), QDate(2024, 5, 10));
    QCOMPARE(popup->GetCalendarWidget()->GetMaximumDate(), QDate(2024, 5, 20));
    Click(popup->GetCalendarWidget(), QDate(2024, 5, 25));
    Click(popup->GetCalendarWidget(), QDate(2024, 5, 3));
    QVERIFY(popup->isVisible());
    QCOMPARE(editor->date(), QDate(2024, 5, 14));
    QTest::keyClick(popup->GetCalendarWidget()->View(), Qt::Key_Down);
    QTest::keyClick(popup->GetCalendarWidget()->View(), Qt::Key_Down);
    QCOMPARE(editor->date(), QDate(2024, 5, 20));
    popup->close();
}

void TestDateTimeEdit::pressOnTheArrowClosesWithoutReopening()
{
    auto editor = OpenAt(QPoint(100, 100), QDateTime(QDate(2024, 5, 14), QTime(8, 0)));
    CCalendarTimePopup* popup = editor->Popup();
    QVERIFY(popup && popup->isVisible());
    QStyleOptionComboBox option;
    option.initFrom(editor.get());
    const QRect arrow =
        editor->style()->subControlRect(QStyle::CC_ComboBox, &option, QStyle::SC_ComboBoxArrow, editor.get());
    const QPoint global = editor->mapToGlobal(arrow.center());
    QMouseEvent press(QEvent::MouseButtonPress, QPointF(popup->mapFromGlobal(global)), QPointF(global), Qt::LeftButton,
                      Qt::LeftButton, Qt::NoModifier, QPointingDevice::primaryPointingDevice());
    QApplication::sendEvent(popup, &press);
    QVERIFY(!popup->isVisible());
    QVERIFY(popup->testAttribute(Qt::WA_NoMouseReplay));
}

// Only the program's calendar opens; the keys that would open the toolkit's open nothing else.
void TestDateTimeEdit::keysNeverOpenTheToolkitsCalendar()
{
    CDateTimeEdit editor(QDateTime(QDate(2024, 5, 14), QTime(8, 0)));
    editor.move(100, 100);
    editor.show();
    QVERIFY(QTest::qWaitForWindowExposed(&editor));
    QTest::keyClick(&editor, Qt::Key_F4);
    QTest::keyClick(&editor, Qt::Key_Down, Qt::AltModifier);
    QTest::keyClick(&editor, Qt::Key_Space);
    for (QWidget* window : QApplication::topLevelWidgets()) {
        if (window->isVisible() && window != &editor)
            QVERIFY2(qobject_cast<CCalendarTimePopup*>(window), window->metaObject()->className());
    }
}

void TestDateTimeEdit::typedLikeAnOperator_data()
{
    QTest::addColumn<int>("clicked");  // the section clicked into (0 the year ... 5 the seconds), -1 Tab
    QTest::addColumn<QString>("keys");
    QTest::addColumn<QDateTime>("expected");
    const QDate day(2024, 5, 14);
    QTest::newRow("year clicked, four digits") << 0 << "2023" << QDateTime(QDate(2023, 5, 14), QTime(8, 30));
    QTest::newRow("day clicked, two digits") << 2 << "01" << QDateTime(QDate(2024, 5, 1), QTime(8, 30));
    QTest::newRow("minutes clicked, two digits") << 4 << "45" << QDateTime(day, QTime(8, 45));
    QTest::newRow("year clicked, digits only") << 0 << "20230611091500" << QDateTime(QDate(2023, 6, 11), QTime(9, 15));
    QTest::newRow("year clicked, written out")
        << 0 << "2023-06-11 09:15:00" << QDateTime(QDate(2023, 6, 11), QTime(9, 15));
    QTest::newRow("year clicked, short parts") << 0 << "2023-6-1 9:5:0" << QDateTime(QDate(2023, 6, 1), QTime(9, 5));
    QTest::newRow("tabbed into, written out")
        << -1 << "2023-06-11 09:15:00" << QDateTime(QDate(2023, 6, 11), QTime(9, 15));
    QTest::newRow("separator ends a part") << 3 << "1:5" << QDateTime(day, QTime(1, 5));
    QTest::newRow("day clicked, left to the month") << 2 << "<Left>03" << QDateTime(QDate(2024, 3, 14), QTime(8, 30));
    QTest::newRow("month clicked, right to the day") << 1 << "<Right>20" << QDateTime(QDate(2024, 5, 20), QTime(8, 30));
    QTest::newRow("left from the year to the seconds") << 0 << "<Left>07" << QDateTime(day, QTime(8, 30, 7));
}

// An operator clicks into a part of the field (or tabs into it), types at a person's pace and
// moves on to another field; the editor then holds the typed date and time.
void TestDateTimeEdit::typedLikeAnOperator()
{
    QFETCH(int, clicked);
    QFETCH(QString, keys);
    QFETCH(QDateTime, expected);
    QWidget window;
    auto* layout = new QVBoxLayout(&window);
    auto* other = new QLineEdit(&window);
    auto* editor = new CDateTimeEdit(QDateTime(QDate(2024, 5, 14), QTime(8, 30)), &window);
    layout->addWidget(other);
    layout->addWidget(editor);
    window.move(100, 100);
    window.show();
    QVERIFY(QTest::qWaitForWindowActive(&window));
    QWindow* handle = window.windowHandle();
    const int sectionStarts[] = {0, 5, 8, 11, 14, 17};
    if (clicked < 0) {
        QTest::mouseClick(handle, Qt::LeftButton, Qt::NoModifier, other->mapTo(&window, other->rect().center()));
        TypeIntoWindow(handle, QStringLiteral("<Tab>"));
    } else {
        const int inside = sectionStarts[clicked] + (clicked == 0 ? 2 : 1);
        QTest::mouseClick(handle, Qt::LeftButton, Qt::NoModifier, TextPoint(editor, inside));
    }
    QVERIFY(editor->hasFocus());
    TypeIntoWindow(handle, keys);
    QTest::mouseClick(handle, Qt::LeftButton, Qt::NoModifier, other->mapTo(&window, other->rect().center()));
    QVERIFY(other->hasFocus());
    QCOMPARE(editor->dateTime(), expected);
}

void TestDateTimeEdit::replacedCalendarGoesAndTheNewOneAnswers()
{
    CCalendarTimePopup popup;
    QPointer<CCalendarWidget> first = popup.GetCalendarWidget();
    QVERIFY(first);
    QCOMPARE(popup.size(), QSize(183, 200));
    auto* second = new CCalendarWidget;
    popup.SetCalendarWidget(second);
    QVERIFY(first.isNull());
    QCOMPARE(second->parentWidget(), &popup);
    QSignalSpy newDate(&popup, &CCalendarTimePopup::newDateSelected);
    popup.SetDate(QDate(2024, 5, 14));
    QCOMPARE(newDate.size(), 1);
    QCOMPARE(popup.GetSelectedDate(), QDate(2024, 5, 14));
}

void TestDateTimeEdit::timeEdit()
{
    CTimeEdit edit;
    edit.setUserDisabled(true);
    QVERIFY(!edit.isEnabled());
    edit.setUserEnabled(true);
    QVERIFY(edit.isEnabled());
}

QTEST_MAIN(TestDateTimeEdit)
#include "tst_datetimeedit.moc"
