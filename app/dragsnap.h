#pragma once

#include <QPoint>
#include <QSize>

// Where the clock window goes while it is dragged. All values are in twips;
// positions are relative to the screen's top-left corner. The grabbed point
// follows the pointer on a 45-twip grid, the top edge never leaves the screen,
// the bottom and right edges stay on it, and the left edge snaps to the screen's
// left edge within 100 twips.
struct DragInput {
    QPoint windowTopLeft; // L, T
    QSize windowSize;     // W, H
    QSize screenSize;     // SW, SH
    QPoint pointer;       // X, Y relative to the pressed control
    QPoint grab;          // grabX, grabY: where the button went down on that control
};

QPoint draggedWindowPosition(const DragInput &in);

// The grid value of a pointer coordinate: the smallest non-negative multiple of
// 45 for which -g < p < g + 50.
int dragGrid(int p);
