#include "playback/isvideo.h"

bool isvideo(const QString &path)
{
    // The empty text occurs in every text; without this an empty path would
    // open an empty video window.
    if (path.isEmpty())
        return false;
    static const QString videoPatterns =
        QStringLiteral("*.avi;*.mpg;*.dat;*.mov;*.flv;*.mp4;*.m4v;*.mkv;*.webm");
    return videoPatterns.contains(path.right(3), Qt::CaseInsensitive);
}
