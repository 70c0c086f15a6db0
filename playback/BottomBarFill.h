// Which tool buttons of a play window's hover bar fit in its row, and which go to the extend
// pop-up. Plain arithmetic over widths, so that the bar widget only places what this decides.
#pragma once

#include <QList>

struct BottomBarFill {
    // -1: everything fits. 0..99: the first left widget that goes to the pop-up (all right
    // widgets go there too). 100 + j: right widget j is the first that goes to the pop-up.
    int result = -1;
    int leftInRow = 0;   // left widgets placed in the row
    int rightInRow = 0;  // right widgets placed in the row
    bool extendShown = false;
};

// `barWidth`: the bar's width; the row's space is that less 18 pixels. Each widget takes its width
// plus one pixel. A left widget must leave at least one pixel free, a right widget may fill the
// space exactly; when the extend button no longer fits beside the last placed widget, that widget
// goes to the pop-up as well.
BottomBarFill FillBottomBar(int barWidth, const QList<int>& leftWidths, const QList<int>& rightWidths, int extendWidth);
