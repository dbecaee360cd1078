#pragma once

class QWidget;

// Puts a window in the always-on-top band at its current position, without
// showing a hidden window.
void settopmost(QWidget &window);

// Shows a window in front of the others and gives it the focus; the first
// time (`placed` false, then set) it is centred on its screen.
void showInFront(QWidget &window, bool &placed);
