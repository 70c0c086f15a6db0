// Shots of the play area's grid: each of the 21 split modes laid out from the compiled-in
// template with 16 labelled cells ("SplitMode01" to "SplitMode21", in the template's order).
#include "tools/varpen-gallery/Gallery.h"

#include "playback/WndSplitLayout.h"

#include <QFrame>
#include <QLabel>
#include <QVBoxLayout>
#include <QWidget>

namespace {

// The play area with its layout; the layout object lives as long as the area.
class GridSample : public QWidget {
public:
    explicit GridSample(int mode)
    {
        setObjectName(QStringLiteral("GridSample"));
        setStyleSheet(
            QStringLiteral("QFrame#cell { background: rgb(77,82,86); border: 1px solid black; }"
                           "QLabel { color: white; font-weight: bold; }"));
        QList<QWidget*> cells;
        for (int i = 0; i < 16; ++i) {
            auto* cell = new QFrame(this);
            cell->setObjectName(QStringLiteral("cell"));
            auto* layout = new QVBoxLayout(cell);
            auto* label = new QLabel(QString::number(i + 1), cell);
            label->setAlignment(Qt::AlignCenter);
            layout->addWidget(label);
            cells << cell;
        }
        m_layout.Init(QStringLiteral(":/template/Default.xml"), this, cells, mode);
        resize(640, 400);
    }

private:
    CWndSplitLayout m_layout;
};

struct RegisterAll {
    RegisterAll()
    {
        for (int mode = 0; mode < CWndSplitLayout::kModeCount; ++mode)
            Gallery::Register{{QStringLiteral("SplitMode%1").arg(mode + 1, 2, 10, QLatin1Char('0')),
                               [mode] { return static_cast<QWidget*>(new GridSample(mode)); }}};
    }
} kGridShots;

}  // namespace
