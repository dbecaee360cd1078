#pragma once

#include <QList>
#include <QRect>

class QWidget;

// Puts a window in the always-on-top band at its current position, without
// showing a hidden window.
void settopmost(QWidget &window);

// Shows a window in front of the others and gives it the focus; the first
// time (`placed` false, then set) it is centred on its screen.
void showInFront(QWidget &window, bool &placed);

// Moves a window, its frame included, to the centre of its screen's free
// area, or as near it as keeps the whole frame inside.
void centreOnScreen(QWidget &window);

// The window manager's frame round a window: known once it has been shown;
// before, a title bar as the style draws one stands in for it.
QSize framePadding(const QWidget &window);

// The room on its screen's free area for a window's client area: what its
// frame leaves.
QSize roomOnScreen(const QWidget &window);

// Marks a part of a window that the program's other windows are not placed
// over where the screen leaves room: a dialog's buttons, an alarm's message.
void keepInSight(QWidget &part);

// Where the marked parts of the program's visible windows other than `window`
// lie on the screen.
QList<QRect> partsInSight(const QWidget &window);
