#include "base/topmost.h"

#include <QScreen>
#include <QWidget>

void settopmost(QWidget &window)
{
    if (!window.windowFlags().testFlag(Qt::WindowStaysOnTopHint)) {
        // Changing the flags of a shown window hides it; show it again where it was.
        const bool wasVisible = window.isVisible();
        const QPoint at = window.pos();
        window.setWindowFlag(Qt::WindowStaysOnTopHint);
        if (wasVisible) {
            window.move(at);
            window.show();
        }
    }
    if (window.isVisible())
        window.raise();
}

void showInFront(QWidget &window, bool &placed)
{
    if (!placed) {
        placed = true;
        const QRect screen = window.screen()->availableGeometry();
        window.move(screen.center() - window.rect().center());
    }
    window.show();
    window.raise();
    window.activateWindow();
}
