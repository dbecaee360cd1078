#pragma once

#include <QFileInfo>
#include <QString>

// Why `file` is not handed to a media engine at all; empty when it may be.
// Only an ordinary file is: opening a pipe blocks the caller until something
// writes to it, and a device such as /dev/zero never ends, either of which
// would stop the clock. Header only, as each media module is built apart.
inline QString refusedMediaFile(const QString &file)
{
    if (file.isEmpty())
        return QStringLiteral("No file to play.");
    if (!QFileInfo(file).isFile())
        return QStringLiteral("Not a file that can be played.");
    return {};
}
