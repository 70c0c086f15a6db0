// Validators, the password field and the small kit pieces.
#include <QClipboard>
#include <QGuiApplication>
#include <QLabel>
#include <QLineEdit>
#include <QTest>

#include "widgets/CBaseFrame.h"
#include "widgets/CPasswordLineEdit.h"
#include "widgets/CSpeedLabel.h"
#include "widgets/CValidators.h"

namespace {
class Page : public CBaseFrame {
public:
    using CBaseFrame::CBaseFrame;
    int GetFrameType() override { return 5; }
};
}  // namespace

class TestEntry : public QObject {
    Q_OBJECT

private slots:
    void regExpValidator_data()
    {
        QTest::addColumn<int>("limit");
        QTest::addColumn<QString>("pattern");  // empty: the ".*" constructor
        QTest::addColumn<QString>("input");
        QTest::addColumn<int>("pos");
        QTest::addColumn<int>("state");
        QTest::addColumn<QString>("output");
        QTest::addColumn<int>("outPos");
        const int A = QValidator::Acceptable, I = QValidator::Intermediate, N = QValidator::Invalid;
        QTest::newRow("limit 4, 4 bytes") << 4 << ""
                                          << "abcd" << 4 << A << "abcd" << 4;
        QTest::newRow("limit 4, fifth char removed") << 4 << ""
                                                     << "abcde" << 5 << I << "abcd" << 4;
        QTest::newRow("limit 4, typed in the middle") << 4 << ""
                                                      << "abXcd" << 3 << I << "abcd" << 2;
        QTest::newRow("CJK counts 3 bytes") << 4 << ""
                                            << "a中" << 2 << A << "a中" << 2;
        QTest::newRow("CJK over the limit") << 4 << ""
                                            << "ab中" << 3 << I << "ab" << 2;
        QTest::newRow("no limit") << -1 << "" << QString(300, 'x') << 300 << A << QString(300, 'x') << 300;
        QTest::newRow("forbidden, missed") << 64 << "'"
                                           << "name" << 4 << A << "name" << 4;
        QTest::newRow("forbidden, hit") << 64 << "'"
                                        << "na'" << 3 << I << "na" << 2;
        QTest::newRow("forbidden, over limit at 0") << 2 << "'"
                                                    << "abc" << 0 << N << "abc" << 0;
        QTest::newRow("forbidden at cursor 0") << 64 << "'"
                                               << "'ab" << 0 << N << "'ab" << 0;
    }

    void regExpValidator()
    {
        QFETCH(int, limit);
        QFETCH(QString, pattern);
        QFETCH(QString, input);
        QFETCH(int, pos);
        QFETCH(int, state);
        QFETCH(QString, output);
        QFETCH(int, outPos);
        std::unique_ptr<CRegExpValidator> v(pattern.isEmpty()
                                                ? new CRegExpValidator(limit, nullptr)
                                                : new CRegExpValidator(limit, QRegularExpression(pattern), nullptr));
        QCOMPARE(int(v->validate(input, pos)), state);
        QCOMPARE(input, output);
        QCOMPARE(pos, outPos);
    }

    void typingThroughTheValidator()
    {
        QLineEdit edit;
        CRegExpValidator validator(8, QRegularExpression("'"), &edit);
        edit.setValidator(&validator);
        QTest::keyClicks(&edit, "abc'd'");
        QCOMPARE(edit.text(), QString("abcd"));  // apostrophes never land, the rest stays
        QTest::keyClicks(&edit, "efghij");
        QCOMPARE(edit.text(), QString("abcdefgh"));
        edit.setCursorPosition(0);
        QTest::keyClicks(&edit, "z");
        QCOMPARE(edit.text(), QString("abcdefgh"));
        QCOMPARE(edit.cursorPosition(), 0);
    }

    void intValidator_data()
    {
        QTest::addColumn<QString>("input");
        QTest::addColumn<int>("state");
        QTest::newRow("00") << "00" << int(QValidator::Invalid);
        QTest::newRow("007") << "007" << int(QValidator::Invalid);
        QTest::newRow("0") << "0" << int(QValidator::Acceptable);
        QTest::newRow("70") << "70" << int(QValidator::Acceptable);
        QTest::newRow("700 over the top") << "700" << int(QValidator::Intermediate);
    }

    void intValidator()
    {
        QFETCH(QString, input);
        QFETCH(int, state);
        CIntValidator v(0, 100);
        int pos = input.size();
        QCOMPARE(int(v.validate(input, pos)), state);
    }

    void passwordRefusesClipboardKeys_data()
    {
        QTest::addColumn<int>("key");
        QTest::addColumn<int>("modifiers");
        QTest::newRow("Ctrl+V") << int(Qt::Key_V) << int(Qt::ControlModifier);
        QTest::newRow("Shift+Insert") << int(Qt::Key_Insert) << int(Qt::ShiftModifier);
        QTest::newRow("Ctrl+C") << int(Qt::Key_C) << int(Qt::ControlModifier);
        QTest::newRow("Ctrl+Insert") << int(Qt::Key_Insert) << int(Qt::ControlModifier);
        QTest::newRow("Ctrl+X") << int(Qt::Key_X) << int(Qt::ControlModifier);
        QTest::newRow("Shift+Delete") << int(Qt::Key_Delete) << int(Qt::ShiftModifier);
    }

    void passwordRefusesClipboardKeys()
    {
        QFETCH(int, key);
        QFETCH(int, modifiers);
        QGuiApplication::clipboard()->setText("clip");
        CPasswordLineEdit edit;
        QCOMPARE(edit.echoMode(), QLineEdit::Password);
        QTest::keyClicks(&edit, "secret");
        edit.selectAll();
        QTest::keyClick(&edit, Qt::Key(key), Qt::KeyboardModifiers(modifiers));
        QCOMPARE(edit.text(), QString("secret"));
        QCOMPARE(QGuiApplication::clipboard()->text(), QString("clip"));
    }

    void passwordEditsNormally()
    {
        CPasswordLineEdit edit;
        QTest::keyClicks(&edit, "abcd");
        QTest::keyClick(&edit, Qt::Key_Backspace);
        QTest::keyClick(&edit, Qt::Key_Left);
        QTest::keyClick(&edit, Qt::Key_Left);
        QTest::keyClick(&edit, Qt::Key_Delete);
        QCOMPARE(edit.text(), QString("ac"));
        QVERIFY(edit.displayText() != edit.text());
    }

    void smallPiecesDefaults()
    {
        Page page;
        QCOMPARE(page.GetFrameType(), 5);
        QVERIFY(page.ConfirmClose());
        QVERIFY(page.FrameQuery());
        page.FrameHook1();
        page.LeavePage();
        QVERIFY(!page.Flag());
        page.SetFlag(true);
        QVERIFY(page.Flag());

        CSpeedLabel label;
        QCOMPARE(label.size(), QSize(108, 44));
        QCOMPARE(label.objectName(), QString("CSpeedLabelUi"));
        QVERIFY(label.Label()->text().isEmpty());
        label.SetText("X2");
        label.SetAlignment(Qt::AlignCenter);
        QCOMPARE(label.Label()->text(), QString("X2"));
        QCOMPARE(label.Label()->alignment(), Qt::AlignCenter);
    }
};

QTEST_MAIN(TestEntry)
#include "tst_entry.moc"
