// Fuzz target for the window-grid template: the input is the template file. The play area's 16
// windows are laid out in every split mode, one window alone and back, as the playback page
// does; whatever the template says, the grid stays within 64 x 64 cells and holds only the
// page's windows, each at most once.
#include <QApplication>
#include <QGridLayout>
#include <QList>
#include <QSet>
#include <QWidget>

#include <cstddef>
#include <cstdint>
#include <cstdlib>

#include "playback/WndSplitLayout.h"
#include "tests/fuzz/FuzzSupport.h"

namespace {

QWidget* g_area = nullptr;
QList<QWidget*> g_windows;

void Check(bool condition)
{
    if (!condition)
        std::abort();
}

void CheckGrid()
{
    const auto* grid = qobject_cast<const QGridLayout*>(g_area->layout());
    if (!grid)
        return;
    Check(grid->rowCount() <= 64 && grid->columnCount() <= 64);
    QSet<QWidget*> placed;
    for (int i = 0; i < grid->count(); ++i) {
        QWidget* window = grid->itemAt(i)->widget();
        Check(g_windows.contains(window) && !placed.contains(window));
        placed.insert(window);
    }
}

}  // namespace

extern "C" int LLVMFuzzerInitialize(int* argc, char*** argv)
{
    qputenv("QT_QPA_PLATFORM", "offscreen");
    // The toolkit's words about odd layouts (a window placed twice) only slow the fuzzer down.
    qInstallMessageHandler([](QtMsgType, const QMessageLogContext&, const QString&) {});
    // The application and the play area live as long as the process. The fuzzer's own options are
    // not the toolkit's business.
    static int qtArgc = 1;
    static char* qtArgv[] = {(*argv)[0], nullptr};
    new QApplication(qtArgc, qtArgv);
    g_area = new QWidget;
    for (int i = 0; i < 16; ++i)
        g_windows << new QWidget(g_area);
    return 0;
}

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size)
{
    const QString path = QString::fromStdString(fuzz::WriteScratch("template.xml", data, size));
    if (path.isEmpty())
        return 0;
    CWndSplitLayout layout;
    layout.Init(path, g_area, g_windows, 1);
    CheckGrid();
    for (int mode = 0; mode < CWndSplitLayout::kModeCount; ++mode) {
        layout.SetSplitMode(mode);
        CheckGrid();
        layout.ShowSingleWndById(mode % 16);
        CheckGrid();
        layout.RestoreLayout();
        CheckGrid();
    }
    return 0;
}
