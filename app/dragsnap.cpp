#include "app/dragsnap.h"

namespace {

constexpr int kGrid = 45;
constexpr int kGridReach = 50;
constexpr int kLeftSnap = 100;

int verticalPosition(int top, int y, int grabY, int height, int screenHeight)
{
    const int p = top + y;
    // A pointer above the screen keeps the window on its top edge; the grid
    // would otherwise mirror the position and throw the window downwards.
    if (p < 0)
        return 0;
    for (int g = dragGrid(p);; g += kGrid) {
        const int n = g - grabY;
        if (n < 0)
            return 0;
        if (screenHeight - height < n)
            return screenHeight - height;
        if (n > 0)
            return n;
    }
}

int horizontalPosition(int left, int x, int grabX, int width, int screenWidth)
{
    const int q = left + x;
    if (q < 0)
        return 0;
    const int m = dragGrid(q) - grabX;
    if (m < kLeftSnap)
        return 0;
    if (screenWidth - width < m)
        return screenWidth - width;
    return m;
}

} // namespace

int dragGrid(int p)
{
    if (p == 0)
        return kGrid;
    if (p < 0)
        return (-p / kGrid + 1) * kGrid;
    const int above = p - kGridReach; // g must exceed this
    if (above < 0)
        return 0;
    return (above / kGrid + 1) * kGrid;
}

QPoint draggedWindowPosition(const DragInput &in)
{
    // Vertical first, then horizontal; each sets one edge and leaves the other.
    const int top = verticalPosition(in.windowTopLeft.y(), in.pointer.y(), in.grab.y(),
                                     in.windowSize.height(), in.screenSize.height());
    const int left = horizontalPosition(in.windowTopLeft.x(), in.pointer.x(), in.grab.x(),
                                        in.windowSize.width(), in.screenSize.width());
    return {left, top};
}
