#include "playback/playlisttext.h"

#include "alarms/alarmrecord.h"

#include <algorithm>

QString getfname(const QString &path)
{
    qsizetype cut = path.lastIndexOf(u'\\');
#ifndef Q_OS_WIN
    // Paths here come from the file dialog with "/" between folders; a "\"
    // is still honoured, as playlists made on Windows hold it.
    cut = std::max(cut, path.lastIndexOf(u'/'));
#endif
    return path.mid(cut + 1);
}

QString createplaylist(const QStringList &paths)
{
    QString playlist;
    for (const QString &path : paths)
        playlist += path + kPlaylistSeparator;
    return playlist;
}

QStringList splitPlaylist(const QString &playlist)
{
    return playlist.split(kPlaylistSeparator.toString(), Qt::SkipEmptyParts);
}

Result playlistPathCheck(const QString &path)
{
    for (const QStringView separator : {kPlaylistSeparator, kFieldSeparator}) {
        if (path.contains(separator)) {
            return Result::failure(
                QStringLiteral("The file cannot be added to the play list: its path holds "
                               "\"%1\", which the alarm file uses to separate its entries.")
                    .arg(separator));
        }
    }
    if (path.contains(u'\r') || path.contains(u'\n')) {
        return Result::failure(QStringLiteral(
            "The file cannot be added to the play list: its path holds a line break, which "
            "the alarm file cannot store."));
    }
    return Result::success();
}
