#pragma once

#include <QString>

// Whether the player window must show for `path`: its last three characters
// (the whole path when shorter) occur in the video formats the file dialog
// offers, "*.avi;*.mpg;*.dat;*.mov;*.flv;*.mp4;*.m4v;*.mkv;*.webm", ignoring
// case, so CLIP.AVI counts like clip.avi. An empty path is not a video.
bool isvideo(const QString &path);
