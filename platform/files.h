#pragma once

#include "base/result.h"

#include <QByteArray>
#include <QString>

// Replaces the file at `path` with `bytes` in one step: the old file stays whole
// until the new one is completely on disk, whatever happens meanwhile.
Result saveFileAtomically(const QString &path, const QByteArray &bytes);

// A whole file as read from disk.
struct FileContents {
    bool exists = false;
    QByteArray bytes;
    QString error; // why a file that exists could not be read; empty when it was
};

// Reads the file at `path` whole, but only when it is a regular file (links
// followed) of at most `maxBytes`: a pipe would hold the reader forever, and a
// device or a huge file would fill the memory. A folder, a link to nothing, a
// file of another kind or a larger one exists but is not read; the error
// says which.
FileContents readRegularFile(const QString &path, qint64 maxBytes);
