#include "app/atomicfile.h"

#include <QSaveFile>

std::optional<QString> saveFileAtomically(const QString &path, const QByteArray &bytes)
{
    QSaveFile file(path);
    // Unbuffered, so a disk that fills up fails the write here: a failure found
    // only when the buffer is flushed at commit would still replace the file
    // with what fitted.
    if (!file.open(QIODevice::WriteOnly | QIODevice::Unbuffered))
        return file.errorString();
    if (file.write(bytes) != bytes.size()) {
        const QString reason = file.errorString();
        file.cancelWriting();
        return reason;
    }
    if (!file.commit())
        return file.errorString();
    return std::nullopt;
}
