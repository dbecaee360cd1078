#pragma once

#include "base/digitpainter.h"

#include <memory>

// The digit painter of an X11 session: a thread of its own wakes at each whole
// second and copies the digits that changed from pictures the X server keeps,
// on the program's own connection. Null on any other window system, or where
// the program runs without a display connection.
std::unique_ptr<DigitPainter> makeXcbDigitPainter();
