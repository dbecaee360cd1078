#pragma once

#include "base/result.h"

#include <QString>
#include <QStringList>

// The file-name part of a path, shown beside the full path in the playlist:
// the text after the last "\" (and, where "/" separates folders, the last
// "/"); the whole path when it has none.
QString getfname(const QString &path);

// The alarm's playlist text: every path followed by "[2*2]"; empty for no paths.
QString createplaylist(const QStringList &paths);

// The paths of a playlist text in play order; empty items are passed over.
QStringList splitPlaylist(const QString &playlist);

// Whether a path can go into the playlist. The alarm file escapes nothing, so a
// path holding either separator or a line break would come back as other
// paths or shift the fields of its line; such a path is refused with the reason.
Result playlistPathCheck(const QString &path);
