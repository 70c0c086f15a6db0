#include "playback/BottomBarFill.h"

BottomBarFill FillBottomBar(int barWidth, const QList<int>& leftWidths, const QList<int>& rightWidths, int extendWidth)
{
    BottomBarFill fill;
    const int space = barWidth - 18;
    int used = 0;
    for (int i = 0; i < leftWidths.size(); ++i) {
        const int w = leftWidths[i] + 1;
        if (used + w < space) {
            used += w;
            fill.leftInRow = i + 1;
            continue;
        }
        if (used + extendWidth > space && i > 0) {
            --i;
            fill.leftInRow = i;  // the widget before gives its place to the extend button
        }
        fill.result = i;
        fill.extendShown = true;
        return fill;
    }
    for (int j = 0; j < rightWidths.size(); ++j) {
        const int w = rightWidths[j] + 1;
        if (used + w <= space) {
            used += w;
            fill.rightInRow = j + 1;
            continue;
        }
        if (used + extendWidth + 1 > space && j > 0) {
            --j;
            fill.rightInRow = j;
        }
        fill.result = j + 100;
        fill.extendShown = true;
        return fill;
    }
    return fill;
}
