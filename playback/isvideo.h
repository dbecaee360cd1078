#pragma once

#include <QString>

// Whether the player window must show for `path`: its last three characters
// (the whole path when shorter) occur in "*.avi;*.mpg;*.dat;*.mov;*.flv",
// ignoring case, so CLIP.AVI counts like clip.avi. An empty path is not a video.
bool isvideo(const QString &path);
