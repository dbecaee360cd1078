#include "platform/files.h"

#include <QFile>
#include <QSaveFile>

Result saveFileAtomically(const QString &path, const QByteArray &bytes)
{
    QSaveFile file(path);
    // Buffered, a write that the disk cuts short goes unnoticed and commit()
    // keeps the cut file (seen with Qt 6.4 on a full disk). Unbuffered, each
    // write says how much went out, and writing the rest brings out why.
    if (!file.open(QIODevice::WriteOnly | QIODevice::Unbuffered))
        return Result::failure(file.errorString());
    for (qint64 written = 0; written < bytes.size();) {
        const qint64 more = file.write(bytes.constData() + written, bytes.size() - written);
        if (more <= 0) {
            const QString reason = file.errorString();
            file.cancelWriting();
            return Result::failure(reason);
        }
        written += more;
    }
    if (!file.commit())
        return Result::failure(file.errorString());
    return Result::success();
}

FileContents readWholeFile(const QString &path, qint64 maxBytes)
{
    FileContents contents;
    QFile file(path);
    if (!file.exists())
        return contents;
    contents.exists = true;
    if (!file.open(QIODevice::ReadOnly)) {
        contents.error = file.errorString();
        return contents;
    }
    contents.bytes = maxBytes < 0 ? file.readAll() : file.read(maxBytes);
    if (file.error() != QFileDevice::NoError)
        contents.error = file.errorString();
    return contents;
}
