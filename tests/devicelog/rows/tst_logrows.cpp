// The log list's compact rows: texts shared within and between batches, a copy of the list that
// later changes do not reach, and the model that shows the rows to the list view.
#include "devicelog/LogListModel.h"
#include "devicelog/LogRecordText.h"
#include "devicelog/LogRows.h"

#include <QSignalSpy>
#include <QtTest>

#include <cstdio>
#include <cstring>

namespace {

DR_LogRecord Record(int i, const char* localOperator)
{
    DR_LogRecord r{};
    std::snprintf(r.time, sizeof r.time, "202401011200%02d", i % 60);
    r.major_type = 3;
    r.minor_type = 0x50 + unsigned(i % 3);
    std::strncpy(r.local_operator, localOperator, sizeof r.local_operator);
    r.remote_host = 0x0A000000u + unsigned(i);
    r.channel = std::uint8_t(i);
    return r;
}

std::vector<DR_LogRecord> Records(int count, int first = 0)
{
    std::vector<DR_LogRecord> records;
    for (int i = first; i < first + count; ++i)
        records.push_back(Record(i, i % 2 ? "admin" : "operator"));
    return records;
}

}  // namespace

class TestLogRows : public QObject {
    Q_OBJECT

private slots:
    // A text is made once per query and shared: by the rows of a batch (one entry in its texts)
    // and by later batches (the same characters).
    void textsAreShared()
    {
        LogRowBuilder builder;
        const std::vector<DR_LogRecord> records = Records(10);
        const LogBatch first = builder.Build(records.data(), 10, 1);
        const LogBatch second = builder.Build(records.data(), 10, 11);
        // Two local operators and the empty remote one, one major text, three minor texts.
        QCOMPARE(first->texts.size(), 7);
        QCOMPARE(second->texts.size(), 7);
        for (qsizetype i = 0; i < first->texts.size(); ++i)
            QCOMPARE(second->texts[i].constData(), first->texts[i].constData());
        QCOMPARE(second->Text(second->rows[3], LogColumnId), QStringLiteral("14"));
        QCOMPARE(second->Text(second->rows[3], LogColumnLocalOperator), QStringLiteral("admin"));

        // A field is read up to its terminator: what follows it does not make another text.
        std::vector<DR_LogRecord> trailing = Records(2);
        std::memcpy(trailing[1].local_operator, "operator\0junk", 13);
        const LogBatch third = builder.Build(trailing.data(), 2, 1);
        QCOMPARE(third->rows[0].localOperator, third->rows[1].localOperator);
    }

    // A copy is a snapshot: it shares the rows (nothing is copied) and keeps them as they were
    // while the list grows or is cleared.
    void copyIsASnapshot()
    {
        LogRowBuilder builder;
        const std::vector<DR_LogRecord> records = Records(1200);
        CLogRowList list;
        list.Append(builder.Build(records.data(), 500, 1));
        list.Append(builder.Build(records.data() + 500, 500, 501));
        const CLogRowList snapshot = list;
        QCOMPARE(snapshot.Batches().first().get(), list.Batches().first().get());

        list.Append(builder.Build(records.data() + 1000, 200, 1001));
        QCOMPARE(list.Count(), 1200);
        QCOMPARE(snapshot.Count(), 1000);
        QCOMPARE(snapshot.Text(999, LogColumnId), QStringLiteral("1000"));
        QVERIFY(snapshot.Text(1000, LogColumnId).isEmpty());
        list.Clear();
        QVERIFY(list.IsEmpty());
        QCOMPARE(snapshot.Text(500, LogColumnRemoteHost), QStringLiteral("10.0.1.244"));
        QVERIFY(list.Text(0, LogColumnId).isEmpty());
    }

    // The list looks each row up in its batch, whatever the batches' sizes.
    void rowsOfBatchesOfAnySize()
    {
        LogRowBuilder builder;
        const std::vector<DR_LogRecord> records = Records(12);
        CLogRowList list;
        int first = 0;
        for (int size : {1, 5, 0, 2, 4}) {
            list.Append(builder.Build(records.data() + first, size, first + 1));
            first += size;
        }
        QCOMPARE(list.Count(), 12);
        QCOMPARE(list.Batches().size(), 4);  // an empty batch adds nothing
        for (int row = 0; row < 12; ++row) {
            QCOMPARE(list.Text(row, LogColumnId), QString::number(row + 1));
            QCOMPARE(list.Text(row, LogColumnChannel), QString::number(row));
        }
        QVERIFY(list.Text(-1, LogColumnId).isEmpty());
        QVERIFY(list.Text(0, LogColumnCount).isEmpty());
    }

    // The model appends a hand-over of several batches as one insertion and clears by a reset.
    void modelInsertsEachHandOverOnce()
    {
        CLogListModel model;
        model.SetHeaderLabels({QStringLiteral("ID"), QStringLiteral("Operation time")});
        QSignalSpy inserted(&model, &QAbstractItemModel::rowsInserted);
        QSignalSpy reset(&model, &QAbstractItemModel::modelReset);
        LogRowBuilder builder;
        const std::vector<DR_LogRecord> records = Records(1500);
        model.Append({builder.Build(records.data(), 500, 1)});
        model.Append({builder.Build(records.data() + 500, 500, 501), builder.Build(records.data() + 1000, 500, 1001)});
        model.Append({});
        QCOMPARE(inserted.size(), 2);
        QCOMPARE(inserted[1][1].toInt(), 500);
        QCOMPARE(inserted[1][2].toInt(), 1499);
        QCOMPARE(model.rowCount(), 1500);
        QCOMPARE(model.columnCount(), int(LogColumnCount));
        QCOMPARE(model.rowCount(model.index(0, 0)), 0);  // a flat list
        QCOMPARE(model.data(model.index(1499, LogColumnId)).toString(), QStringLiteral("1500"));
        QCOMPARE(model.data(model.index(1, LogColumnTime), Qt::EditRole).toString(),
                 QStringLiteral("2024-01-01 12:00:01"));
        QVERIFY(!model.data(model.index(1, LogColumnTime), Qt::ToolTipRole).isValid());
        QCOMPARE(model.headerData(1, Qt::Horizontal).toString(), QStringLiteral("Operation time"));
        QVERIFY(!model.headerData(2, Qt::Horizontal).isValid());
        QCOMPARE(model.headerData(2, Qt::Vertical, Qt::TextAlignmentRole).toInt(),
                 int(Qt::AlignLeft | Qt::AlignVCenter));
        QVERIFY(model.flags(model.index(0, 0)).testFlag(Qt::ItemIsSelectable));

        const CLogRowList shown = model.Rows();
        model.Clear();
        QCOMPARE(reset.size(), 1);
        QCOMPARE(model.rowCount(), 0);
        QCOMPARE(shown.Count(), 1500);
    }
};

QTEST_GUILESS_MAIN(TestLogRows)
#include "tst_logrows.moc"
