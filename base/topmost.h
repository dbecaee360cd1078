#pragma once

class QWidget;

// Puts a window in the always-on-top band at its current position, without
// showing a hidden window.
void settopmost(QWidget &window);
