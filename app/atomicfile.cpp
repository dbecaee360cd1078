#include "app/atomicfile.h"

#include <QSaveFile>

std::optional<QString> saveFileAtomically(const QString &path, const QByteArray &bytes)
{
    QSaveFile file(path);
    // Buffered, a write that the disk cuts short goes unnoticed and commit()
    // keeps the cut file (seen with Qt 6.4 on a full disk). Unbuffered, each
    // write says how much went out, and writing the rest brings out why.
    if (!file.open(QIODevice::WriteOnly | QIODevice::Unbuffered))
        return file.errorString();
    for (qint64 written = 0; written < bytes.size();) {
        const qint64 more = file.write(bytes.constData() + written, bytes.size() - written);
        if (more <= 0) {
            const QString reason = file.errorString();
            file.cancelWriting();
            return reason;
        }
        written += more;
    }
    if (!file.commit())
        return file.errorString();
    return std::nullopt;
}
