#include "base/topmost.h"

#include <QApplication>
#include <QScreen>
#include <QWidget>

namespace {

// The mark of a part kept in sight, a property of the part's widget.
constexpr char kInSight[] = "keepInSight";

} // namespace

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

void keepInSight(QWidget &part)
{
    part.setProperty(kInSight, true);
}

QList<QRect> partsInSight(const QWidget &window)
{
    QList<QRect> parts;
    for (const QWidget *other : QApplication::topLevelWidgets()) {
        if (other == &window || !other->isVisible())
            continue;
        for (const QWidget *part : other->findChildren<QWidget *>()) {
            if (part->property(kInSight).toBool() && part->isVisible())
                parts.append(QRect(part->mapToGlobal(QPoint(0, 0)), part->size()));
        }
    }
    return parts;
}
