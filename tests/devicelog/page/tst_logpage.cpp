// The log page on generated disk images: the search fills the list in batches under its progress
// dialog; the window checks; nothing found against a log that cannot be read; cancel; the
// 2000-row notice once per query; a log longer than a search keeps, said once and in the export's
// result; the export written end to end and parsed back; the overwrite question; the first row
// drawn whole under the station's style. Every prompt is answered through the kit's prompt seam.
#include "app/gui/OstraStyle.h"
#include "devicelog/LocalLogWidget.h"
#include "devicelog/LogBackup.h"
#include "devicelog/LogChoices.h"
#include "devicelog/LogListModel.h"
#include "devicelog/LogRecordText.h"
#include "devicelog/LogRows.h"
#include "platform/diskrec/DiskImageWriter.h"
#include "widgets/CDiskTreeBox.h"
#include "widgets/CPathComboBox.h"
#include "widgets/CPushButton.h"
#include "widgets/CTableView.h"
#include "widgets/CalendarWidget.h"
#include "widgets/DateTimeEdit.h"
#include "widgets/PromptHook.h"
#include "tests/devicelog/LogDiskImage.h"
#include "tests/support/WorkerLatch.h"

#include <QApplication>
#include <QComboBox>
#include <QFile>
#include <QLabel>
#include <QScopeGuard>
#include <QStyle>
#include <QTemporaryDir>
#include <QTranslator>
#include <QXmlStreamReader>
#include <QtTest>

#include <ctime>
#include <functional>
#include <memory>

namespace {

using LogDiskImage::BaseTime;

const QDateTime kBase(QDate(2024, 1, 1), QTime(0, 0, 0));

bool WriteImage(const QString& path, int logCount, int step_s = 60)
{
    std::string error;
    return LogDiskImage::Write(path, diskrec::MakeSampleLogs(logCount, BaseTime(), step_s), &error);
}

// Answers every prompt: the search progress and the wait dialog run their own loop (the page's
// worker ends them); anything else takes `answer` (or the scripted one); every prompt is kept.
struct Answers {
    QList<CPrompt> prompts;
    std::function<int(const CPrompt&)> script;
    int answer = 1;
    CPromptHook::Answerer previous;

    Answers()
    {
        previous = CPromptHook::SetAnswerer([this](const CPrompt& p) {
            prompts << p;
            if (script) {
                const int a = script(p);
                if (a != kDefault)
                    return a;
            }
            if (p.kind == CPrompt::Exec && (p.className == "CLogSearchProgress" || p.className == "CProgress"))
                return CPromptHook::kRunModal;
            return answer;
        });
    }
    ~Answers() { CPromptHook::SetAnswerer(previous); }

    QStringList Texts(CPrompt::Kind kind) const
    {
        QStringList texts;
        for (const CPrompt& p : prompts)
            if (p.kind == kind)
                texts << p.text;
        return texts;
    }
    static constexpr int kDefault = -12345;
};

}  // namespace

class TestLogPage : public QObject {
    Q_OBJECT

private:
    QTemporaryDir m_dir;
    QString m_full;    // 1,200 records from 2024-01-01, one a minute
    QString m_many;    // 2,100 records
    QString m_empty;   // no record
    QString m_broken;  // not a recorder disk
    QString m_huge;    // 1,000,001 records, one a second: one more than a search keeps

    std::unique_ptr<CLocalLogWidget> MakePage(const QString& image)
    {
        auto page = std::make_unique<CLocalLogWidget>();
        CDiskTreeBox* box = page->Form().m_pDiskcomboBox;
        const QStringList disks{m_full, m_many, m_empty, m_broken, m_huge};
        const int position = int(disks.indexOf(image));
        if (!box->SelectEntry(unsigned(1000 + position)))
            qWarning() << "no disk entry for" << image;
        SetWindow(*page, kBase, kBase.addDays(3));
        return page;
    }

    static void SetWindow(CLocalLogWidget& page, const QDateTime& start, const QDateTime& stop)
    {
        page.Form().m_pLogStartDateTimeEdit->setDateTime(start);
        page.Form().m_pLogStopDateTimeEdit->setDateTime(stop);
    }

    static int Rows(const CLocalLogWidget& page) { return page.Form().m_pLogTreeView->model()->rowCount(); }

    // Answers the backup dialog with `typed` as the operator's file name.
    static std::function<int(const CPrompt&)> ChoosePath(const QString& typed)
    {
        return [typed](const CPrompt& p) {
            if (p.className != "CLogBackup")
                return Answers::kDefault;
            auto* backup = qobject_cast<CLogBackup*>(p.dialog.data());
            backup->PathBox()->clear();
            backup->PathBox()->addItem(typed);
            backup->OnAccepted();
            return 0;
        };
    }

    static QByteArray ReadFile(const QString& path)
    {
        QFile file(path);
        return file.open(QIODevice::ReadOnly) ? file.readAll() : QByteArray();
    }

    static QString Cell(const CLocalLogWidget& page, int row, int column)
    {
        const QAbstractItemModel* m = page.Form().m_pLogTreeView->model();
        return m->data(m->index(row, column)).toString();
    }

private slots:
    void initTestCase()
    {
        QVERIFY(m_dir.isValid());
        m_full = m_dir.filePath("full.img");
        m_many = m_dir.filePath("many.img");
        m_empty = m_dir.filePath("empty.img");
        m_broken = m_dir.filePath("broken.img");
        m_huge = m_dir.filePath("huge.img");
        QVERIFY(WriteImage(m_full, 1200));
        QVERIFY(WriteImage(m_many, 2100));
        QVERIFY(WriteImage(m_empty, 0));
        std::string error;
        QVERIFY(diskrec::WriteBrokenImage(m_empty.toStdString(), m_broken.toStdString(), diskrec::BrokenImage::BadMagic,
                                          &error));
        QVERIFY(WriteImage(m_huge, CLogSearch::kMaxRecords + 1, 1));
        qputenv("VARPEN_EXTRA_DISKS", QStringList{m_full, m_many, m_empty, m_broken, m_huge}.join(':').toUtf8());
    }

    void choices()
    {
        QCOMPARE(LogMajorChoices().size(), 5);
        const int counts[] = {1, 7, 14, 100, 13};
        for (int major = 0; major <= 4; ++major)
            QCOMPARE(LogMinorChoices(major).size(), counts[major]);
        // Every offered code shows a text, the list's own wording where it has one.
        for (int major = 1; major <= 4; ++major)
            for (const LogChoice& c : LogMinorChoices(major))
                QVERIFY2(!c.text.isEmpty(), qPrintable(QString::number(c.code, 16)));
        QCOMPARE(LogMinorChoiceText(0x42), QStringLiteral("Turn Off"));
        QCOMPARE(LogMinorChoiceText(0x121), QStringLiteral("Local Operation: Start Capture"));
        QCOMPARE(LogMinorChoiceText(0x7777), QStringLiteral("Unknown (0x7777)"));
    }

    void windowCheck_data()
    {
        QTest::addColumn<qint64>("length_s");
        QTest::addColumn<int>("expected");
        QTest::newRow("equal") << qint64(0) << int(LogWindowCheck::Ok);
        QTest::newRow("30 days") << qint64(30 * 86400) << int(LogWindowCheck::Ok);
        QTest::newRow("30 days and a second") << qint64(30 * 86400 + 1) << int(LogWindowCheck::LongerThan30Days);
        QTest::newRow("stop before start") << qint64(-1) << int(LogWindowCheck::StartAfterStop);
    }
    void windowCheck()
    {
        QFETCH(qint64, length_s);
        QFETCH(int, expected);
        QCOMPARE(int(CheckLogWindow(kBase, kBase.addSecs(length_s))), expected);
    }

    void progressPercent()
    {
        QCOMPARE(CLogSearchProgress::PercentOf(999, 1000, 0), 99);
        QCOMPARE(CLogSearchProgress::PercentOf(1000, 1000, 0), 100);
        QCOMPARE(CLogSearchProgress::PercentOf(5, 0, 42), 42);  // no total: the count is ignored
    }

    // The page refuses the window before anything is searched; the message says why.
    void pageRefusesWindow_data()
    {
        QTest::addColumn<qint64>("length_s");
        QTest::addColumn<QString>("warning");
        QTest::newRow("stop before start") << qint64(-1) << "The start time should be earlier than end time.";
        QTest::newRow("longer than 30 days") << qint64(30 * 86400 + 1) << "You can only search log within 30 days";
        QTest::newRow("exactly 30 days") << qint64(30 * 86400) << QString();
    }
    void pageRefusesWindow()
    {
        QFETCH(qint64, length_s);
        QFETCH(QString, warning);
        auto page = MakePage(m_full);
        SetWindow(*page, kBase, kBase.addSecs(length_s));
        Answers answers;
        page->QueryLocalLog();
        if (warning.isEmpty()) {
            QVERIFY(answers.Texts(CPrompt::Warn).isEmpty());
            QCOMPARE(Rows(*page), 1200);
        } else {
            QCOMPARE(answers.Texts(CPrompt::Warn), QStringList{warning});
            QCOMPARE(answers.prompts.first().title, QStringLiteral("Information"));
            QCOMPARE(Rows(*page), 0);
            QVERIFY(!page->Search()->isRunning());
        }
    }

    void searchFillsListInBatches()
    {
        auto page = MakePage(m_full);
        QList<int> progress;
        connect(page.get(), &CLocalLogWidget::SetProgressChanged, this,
                [&](ProgressInfo i) { progress << i.current << i.total; });
        Answers answers;
        QTest::mouseClick(page->Form().m_pLogSearchBtn, Qt::LeftButton);
        QCOMPARE(Rows(*page), 1200);
        QCOMPARE(progress, (QList<int>{500, 1200, 1000, 1200, 1200, 1200}));
        QVERIFY(answers.Texts(CPrompt::Notice).isEmpty());
        QVERIFY(!page->HasNoRows());
        QCOMPARE(Cell(*page, 0, LogColumnTime), QStringLiteral("2024-01-01 00:00:00"));
        QCOMPARE(Cell(*page, 1199, LogColumnTime), QStringLiteral("2024-01-01 19:59:00"));

        // The minor filter: the sample cycles through every minor code.
        page->Form().m_pMainTypecomboBox->setCurrentIndex(page->Form().m_pMainTypecomboBox->findData(1));
        QCOMPARE(page->Form().m_pMinorTypecomboBox->count(), 7);
        page->Form().m_pMinorTypecomboBox->setCurrentIndex(1);
        page->QueryLocalLog();
        QVERIFY(Rows(*page) > 0 && Rows(*page) < 1200);
        for (int row = 0; row < Rows(*page); ++row)
            QCOMPARE(Cell(*page, row, LogColumnMinor), LogMinorChoiceText(1));
    }

    // The notice comes once in a query of 2,000 rows or more, and not in a later smaller one.
    void rowNoticeCountedPerQuery()
    {
        const QString notice = "The log should less than 2000, Please constrain the Parameter!";
        auto page = MakePage(m_many);
        Answers answers;
        page->QueryLocalLog();
        QCOMPARE(Rows(*page), 2100);
        QCOMPARE(answers.Texts(CPrompt::Notice), QStringList{notice});
        answers.prompts.clear();
        SetWindow(*page, kBase, kBase.addSecs(1499 * 60));  // 1,500 rows
        page->QueryLocalLog();
        QCOMPARE(Rows(*page), 1500);
        QVERIFY(answers.Texts(CPrompt::Notice).isEmpty());
    }

    // A log of one record more than a search keeps: the list stops at the limit, and the page
    // says so once, as the list starts (in place of the 2000-row notice), and again in the result
    // of the list's export. A log of exactly the limit is whole: nothing is said. The operator
    // cancels each search after a few batches; a million rows need not be listed to show this.
    void cutLogIsSaidOnceAndInTheExport()
    {
        const QString cut =
            "More than 1000000 logs were found: only the first 1000000 are listed. "
            "Please narrow the search.";
        auto page = MakePage(m_huge);
        Answers answers;
        QPointer<QWidget> progress;
        QList<ProgressInfo> seen;
        int cancelAt = 0;
        connect(page.get(), &CLocalLogWidget::SetProgressChanged, this, [&](ProgressInfo i) {
            seen << i;
            if (i.current == cancelAt && progress)
                QMetaObject::invokeMethod(progress.data(), "reject", Qt::QueuedConnection);
        });
        const auto search = [&](const QDateTime& stop, int batches) {
            SetWindow(*page, kBase, stop);
            answers.prompts.clear();
            seen.clear();
            cancelAt = batches * CLogSearch::kBatchRows;
            answers.script = [&](const CPrompt& p) {
                if (p.className == "CLogSearchProgress")
                    progress = p.dialog;
                return Answers::kDefault;
            };
            page->QueryLocalLog();
        };
        const QDateTime lastRecord = kBase.addSecs(CLogSearch::kMaxRecords);

        search(lastRecord, 5);  // 2,500 rows: past the 2000-row notice
        QVERIFY(!page->Search()->isRunning());
        QCOMPARE(Rows(*page), 2500);
        QVERIFY(!seen.isEmpty());
        QCOMPARE(seen.first().total, CLogSearch::kMaxRecords);
        QCOMPARE(answers.Texts(CPrompt::Notice), QStringList{cut});
        QCOMPARE(Cell(*page, 2499, LogColumnId), QStringLiteral("2500"));

        const QString typed = m_dir.filePath("cut.xml");
        answers.prompts.clear();
        answers.script = ChoosePath(typed);
        page->OnBackupClicked();
        QCOMPARE(answers.Texts(CPrompt::Notice),
                 QStringList{"Backup successful. The file holds the 2500 listed logs only: more than 1000000 logs "
                             "were found."});
        QCOMPARE(ReadFile(typed).count("<Log>"), 2500);

        // The same texts in Chinese, with their numbers.
        QTranslator zh;
        QVERIFY(zh.load(qEnvironmentVariable("VARPEN_BUILD_DIR") + QStringLiteral("/bin/translations/varpen_zh.qm")));
        QCoreApplication::installTranslator(&zh);
        const QString zhNotice = CLocalLogWidget::CutNotice(CLogSearch::kMaxRecords);
        const QString zhResult = CLocalLogWidget::CutBackupResult(2500);
        QCoreApplication::removeTranslator(&zh);
        QCOMPARE(zhNotice, QStringLiteral("找到的日志超过1000000条：仅列出前1000000条。请缩小搜索条件。"));
        QCOMPARE(zhResult, QStringLiteral("备份成功。文件仅包含列出的2500条日志：找到的日志超过1000000条。"));

        // One record less: the list is whole, the usual notice comes, the export says nothing more.
        search(lastRecord.addSecs(-1), 5);
        QCOMPARE(Rows(*page), 2500);
        QVERIFY(!seen.isEmpty());
        QCOMPARE(seen.first().total, CLogSearch::kMaxRecords);
        QCOMPARE(answers.Texts(CPrompt::Notice),
                 QStringList{"The log should less than 2000, Please constrain the Parameter!"});
        answers.prompts.clear();
        answers.script = ChoosePath(typed);
        answers.answer = 1;  // replace the file
        page->OnBackupClicked();
        QCOMPARE(answers.Texts(CPrompt::Notice), QStringList{"Backup successful."});
    }

    void nothingFoundAndUnreadableAreToldApart()
    {
        {
            auto page = MakePage(m_empty);
            Answers answers;
            page->QueryLocalLog();
            QCOMPARE(answers.Texts(CPrompt::Notice), QStringList{"No log found!"});
            QVERIFY(page->HasNoRows());
            // Nothing to export.
            answers.prompts.clear();
            page->OnBackupClicked();
            QCOMPARE(answers.Texts(CPrompt::Notice), QStringList{"No log had been searched"});
        }
        {
            auto page = MakePage(m_broken);
            Answers answers;
            page->QueryLocalLog();
            const QStringList notices = answers.Texts(CPrompt::Notice);
            QCOMPARE(notices.size(), 1);
            QVERIFY2(notices.first().startsWith("The log of the selected disk cannot be read"),
                     qPrintable(notices.first()));
        }
    }

    // A cancelled query hands none of its rows to the list, nor to the next query.
    void cancelDropsTheQuerysRows()
    {
        auto page = MakePage(m_full);
        Answers answers;
        bool cancelled = false;
        answers.script = [&](const CPrompt& p) {
            if (p.className == "CLogSearchProgress" && !cancelled) {
                cancelled = true;
                return 0;  // Cancel at once
            }
            return Answers::kDefault;
        };
        page->QueryLocalLog();
        QVERIFY(cancelled);
        QVERIFY(!page->Search()->isRunning());
        QTest::qWait(50);
        QCOMPARE(Rows(*page), 0);
        page->QueryLocalLog();
        QCOMPARE(Rows(*page), 1200);
        QCOMPARE(Cell(*page, 0, LogColumnId), Cell(*page, 0, LogColumnId));
        QCOMPARE(Cell(*page, 1199, LogColumnTime), QStringLiteral("2024-01-01 19:59:00"));
    }

    // A cancel keeps every row the page had taken from the query, and none after.
    void cancelKeepsTheRowsTaken()
    {
        auto page = MakePage(m_many);
        Answers answers;
        QPointer<QWidget> progress;
        answers.script = [&](const CPrompt& p) {
            if (p.className == "CLogSearchProgress")
                progress = p.dialog;
            return Answers::kDefault;
        };
        connect(page.get(), &CLocalLogWidget::SetProgressChanged, this, [&](ProgressInfo info) {
            if (info.current == 1000 && progress)
                qobject_cast<QDialog*>(progress.data())->reject();
        });
        page->QueryLocalLog();
        QVERIFY(!page->Search()->isRunning());
        QCoreApplication::processEvents();
        QCOMPARE(Rows(*page), 1000);
        QCOMPARE(Cell(*page, 999, LogColumnId), QStringLiteral("1000"));
    }

    // Batches that come close together reach the list together; the last of them is not left
    // out when no further batch follows.
    void batchesTakenTogetherAreAllListed()
    {
        auto page = MakePage(m_full);
        const std::vector<DR_LogRecord> records = diskrec::MakeSampleLogs(1500, BaseTime(), 60);
        LogRowBuilder builder;
        for (int first = 0; first < 1000; first += 500) {
            // A page that has not searched yet takes the batches of query -1.
            LocalLogEvent batch(builder.Build(records.data() + first, 500, first + 1), first + 500, 1500, -1);
            QCoreApplication::sendEvent(page.get(), &batch);
        }
        QTRY_COMPARE(Rows(*page), 1000);
        QCOMPARE(Cell(*page, 999, LogColumnId), QStringLiteral("1000"));
        QVERIFY(!page->HasNoRows());
    }

    // Cancel while the search is held inside a read (or holds a batch back) returns at once: the
    // held search is told to stop and handed to the reaper, a new search object serves the
    // next query, and the held one's rows, should it still send some, reach no list. Once let go
    // it ends without reading on and is joined.
    void cancelDuringASlowSearch_data()
    {
        QTest::addColumn<int>("point");
        QTest::addColumn<int>("arrivals");  // at the point, in all, by the held search
        QTest::newRow("during a read") << int(WorkerHooks::Point::LogSearchRead) << 1;
        QTest::newRow("before a batch") << int(WorkerHooks::Point::LogSearchBatch) << 1;
    }
    void cancelDuringASlowSearch()
    {
        QFETCH(int, point);
        QFETCH(int, arrivals);
        auto page = MakePage(m_full);
        Answers answers;
        QPointer<CLogSearch> held;
        {
            WorkerLatch latch{WorkerHooks::Point(point)};
            answers.script = [&](const CPrompt& p) {
                if (p.className != "CLogSearchProgress" || held || !latch.WaitHeld())
                    return Answers::kDefault;
                held = page->Search();
                return 0;  // Cancel
            };
            page->QueryLocalLog();
            QCOMPARE(latch.Held(), 1);  // the cancel returned while the search is held
            QVERIFY(held && held->isRunning());
            QVERIFY(page->Search() != held.data());
            QVERIFY(!page->Search()->isRunning());
            QCOMPARE(page->RetiredWorkers(), 1);
            latch.Open();
            QTRY_VERIFY_WITH_TIMEOUT(held.isNull(), 30000);
            QCOMPARE(latch.Arrivals(), arrivals);  // no read after the stop
            QVERIFY(!latch.TimedOut());
        }
        QCoreApplication::sendPostedEvents(page.get(), QEvent::MetaCall);
        QCoreApplication::sendPostedEvents(page.get(), LocalLogEvent::EventType());
        QCOMPARE(Rows(*page), 0);
        QVERIFY(answers.Texts(CPrompt::Notice).isEmpty());

        answers.script = nullptr;
        page->QueryLocalLog();
        QCOMPARE(Rows(*page), 1200);
        QCOMPARE(Cell(*page, 0, LogColumnId), QStringLiteral("1"));
        QCOMPARE(Cell(*page, 1199, LogColumnId), QStringLiteral("1200"));
    }

    // The page goes while its search waits for a batch to be taken: the thread is stopped and
    // joined, and the batch still posted goes with the page.
    void pageGoesDuringSearch()
    {
        auto page = MakePage(m_full);
        Answers answers;
        answers.script = [](const CPrompt& p) { return p.className == "CLogSearchProgress" ? 1 : Answers::kDefault; };
        page->QueryLocalLog();
        QTRY_VERIFY(page->Search()->QueryId() > 0);
        QPointer<CLogSearch> search = page->Search();
        page.reset();
        QVERIFY(search.isNull());
    }

    void exportWritesTheListAndAsksBeforeOverwriting()
    {
        auto page = MakePage(m_full);
        SetWindow(*page, kBase, kBase.addSecs(2 * 60));  // three rows
        Answers answers;
        page->QueryLocalLog();
        QCOMPARE(Rows(*page), 3);

        const QString typed = m_dir.filePath("logs");
        QStringList progressLabels;
        answers.script = [&progressLabels, choosePath = ChoosePath(typed)](const CPrompt& p) {
            if (p.className == "CProgress") {  // the writing shows its progress
                if (auto* label = p.dialog->findChild<QLabel*>("pProgressLabel"))
                    progressLabels << label->text();
                return Answers::kDefault;
            }
            return choosePath(p);
        };
        answers.prompts.clear();
        page->OnBackupClicked();
        QCOMPARE(answers.Texts(CPrompt::Notice), QStringList{"Backup successful."});
        QCOMPARE(progressLabels, QStringList{"Writing..."});

        QFile file(typed + ".xml");
        QVERIFY(file.open(QIODevice::ReadOnly));
        const QByteArray written = file.readAll();
        file.close();
        QXmlStreamReader xml(written);
        QStringList path;
        QList<QStringList> rows;
        while (!xml.atEnd()) {
            xml.readNext();
            if (xml.isStartElement()) {
                path << xml.name().toString();
                if (xml.name() == QLatin1String("Log"))
                    rows.append(QStringList());
                else if (path.size() == 4)
                    rows.last() << xml.readElementText(), path.removeLast();
            } else if (xml.isEndElement()) {
                path.removeLast();
            }
        }
        QVERIFY2(!xml.hasError(), qPrintable(xml.errorString()));
        QCOMPARE(rows.size(), 3);
        for (int row = 0; row < 3; ++row) {
            QStringList expected;
            for (int column = 0; column < LogColumnCount; ++column)
                if (column != LogColumnParameter)
                    expected << Cell(*page, row, column);
            QCOMPARE(rows[row], expected);
        }

        // The file exists: "no" leaves it as it is and writes nothing.
        answers.prompts.clear();
        answers.answer = 0;
        page->OnBackupClicked();
        QCOMPARE(answers.Texts(CPrompt::Question).size(), 1);
        QVERIFY(answers.Texts(CPrompt::Notice).isEmpty());
        QFile again(typed + ".xml");
        QVERIFY(again.open(QIODevice::ReadOnly));
        QCOMPARE(again.readAll(), written);
        again.close();

        // "Yes" writes it anew with the list as it now stands.
        SetWindow(*page, kBase, kBase.addSecs(60));
        page->QueryLocalLog();
        QCOMPARE(Rows(*page), 2);
        answers.prompts.clear();
        answers.answer = 1;
        page->OnBackupClicked();
        QCOMPARE(answers.Texts(CPrompt::Question).size(), 1);
        QCOMPARE(answers.Texts(CPrompt::Notice), QStringList{"Backup successful."});
        QFile rewritten(typed + ".xml");
        QVERIFY(rewritten.open(QIODevice::ReadOnly));
        QCOMPARE(rewritten.readAll().count("<Log>"), 2);
    }

    void exportToAMissingFolderFails()
    {
        auto page = MakePage(m_full);
        SetWindow(*page, kBase, kBase);
        Answers answers;
        page->QueryLocalLog();
        QCOMPARE(Rows(*page), 1);
        answers.prompts.clear();
        page->OnBackUp(m_dir.filePath("no-such-folder/logs.xml"));
        QCOMPARE(answers.Texts(CPrompt::Warn), QStringList{"Open file failed!"});
    }

    // Under the station's style and style sheet the first row's ID cell is drawn like any other
    // (it showed "_": the top of its text was clipped away). Two rows of the same texts: their
    // ID cells must look alike.
    void firstRowIdDrawnWhole()
    {
        const QString previousStyle = QApplication::style()->name();
        QApplication::setStyle(new COstraStyle);
        QFile sheet(QStringLiteral(":/qss/Varpen.qss"));
        QVERIFY(sheet.open(QIODevice::ReadOnly));
        qApp->setStyleSheet(QString::fromLatin1(sheet.readAll()));
        const auto restore = qScopeGuard([&] {
            qApp->setStyleSheet(QString());
            QApplication::setStyle(previousStyle);
        });

        CLocalLogWidget page;
        const DR_LogRecord record = diskrec::MakeSampleLogs(1, BaseTime(), 60).front();
        LogRowBuilder builder;
        page.ListModel()->Append({builder.Build(&record, 1, 1), builder.Build(&record, 1, 1)});
        CTableView* view = page.Form().m_pLogTreeView;
        page.resize(1006, 678);
        page.show();
        QVERIFY(QTest::qWaitForWindowExposed(&page));
        const QImage shot = view->viewport()->grab().toImage();
        const QRect first = view->visualRect(view->model()->index(0, LogColumnId));
        const QRect second = view->visualRect(view->model()->index(1, LogColumnId));
        QCOMPARE(first.size(), second.size());
        QCOMPARE(shot.copy(first), shot.copy(second));
    }

    void backupDialogNeedsAPath()
    {
        CLogBackup backup;
        QSignalSpy accepted(&backup, qOverload<const QString&>(&CLogBackup::OnAccepted));
        backup.PathBox()->clear();
        backup.OnAccepted();
        QCOMPARE(accepted.count(), 0);
    }
};

QTEST_MAIN(TestLogPage)
#include "tst_logpage.moc"
