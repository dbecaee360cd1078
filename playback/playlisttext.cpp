#include "playback/playlisttext.h"

#include "alarms/alarmrecord.h"

#include <algorithm>

QString getfname(const QString &path)
{
    // The file dialog puts "/" between folders on every platform; a "\" is
    // honoured too, as playlists made by earlier Windows copies hold it.
    const qsizetype cut = std::max(path.lastIndexOf(u'\\'), path.lastIndexOf(u'/'));
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
