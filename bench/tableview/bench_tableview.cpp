// Appending 100,000 log rows of 12 columns to a shown CTableView in batches of 500, as the log
// page does: the total time and the longest single batch (a batch is one turn of the GUI
// thread, so the longest one is how long the GUI stays unresponsive at worst).
#include <QApplication>
#include <QElapsedTimer>
#include <QHeaderView>

#include <algorithm>
#include <cstdio>

#include "widgets/CTableView.h"
#include "widgets/CTreeViewModel.h"

int main(int argc, char** argv)
{
    QApplication app(argc, argv);
    constexpr int kRows = 100000;
    constexpr int kBatch = 500;
    constexpr int kColumns = 12;

    CTableView view;
    QStringList labels;
    for (int c = 0; c < kColumns; ++c)
        labels << QString("Column %1").arg(c);
    view.SetHeaderLabels(labels);
    view.model()->setHeaderData(0, Qt::Horizontal, 0, Qt::CheckStateRole);
    view.resize(1200, 700);
    view.show();
    app.processEvents();

    // Rows are built off the GUI thread in the program; here they are built before timing.
    std::vector<QList<CTreeViewItem*>> batches;
    for (int b = 0; b < kRows / kBatch; ++b) {
        QList<CTreeViewItem*> rows;
        for (int r = 0; r < kBatch; ++r) {
            auto* item = new CTreeViewItem;
            for (int c = 0; c < kColumns; ++c)
                item->SetData(c, Qt::DisplayRole, QString("row %1 col %2").arg(b * kBatch + r).arg(c));
            rows << item;
        }
        batches.push_back(rows);
    }

    QElapsedTimer total;
    total.start();
    qint64 longestNs = 0;
    qint64 appendNs = 0;
    std::vector<qint64> batchNs;
    int longestAt = 0;
    for (size_t b = 0; b < batches.size(); ++b) {
        QElapsedTimer batch;
        batch.start();
        view.AppendRow(batches[b]);
        appendNs += batch.nsecsElapsed();
        view.scrollToBottom();  // the newest rows in view, as a log that follows its search
        app.processEvents();    // the repaint that follows each batch
        batchNs.push_back(batch.nsecsElapsed());
        if (batch.nsecsElapsed() > longestNs) {
            longestNs = batch.nsecsElapsed();
            longestAt = int(b);
        }
    }
    std::sort(batchNs.begin(), batchNs.end());
    std::printf(
        "bench_tableview: appending alone %.1f ms; batch median %.2f ms, 95th percentile %.2f ms; "
        "longest batch was number %d\n",
        appendNs / 1e6, batchNs[batchNs.size() / 2] / 1e6, batchNs[batchNs.size() * 95 / 100] / 1e6, longestAt);
    const double totalMs = total.nsecsElapsed() / 1e6;
    std::printf("bench_tableview: %d rows in batches of %d: total %.1f ms, longest batch %.2f ms (limit 50 ms)\n",
                view.RowCount(), kBatch, totalMs, longestNs / 1e6);
    view.ClearAll();
    return longestNs / 1e6 > 50.0 ? 1 : 0;
}
