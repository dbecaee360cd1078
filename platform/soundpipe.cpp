#include "platform/soundpipe.h"

#include <optional>

namespace {

std::optional<SoundLine> decodeSoundLine(const QByteArray &line)
{
    const QList<QByteArray> fields = line.split(' ');
    if (fields.size() != 4 || fields[0].isEmpty())
        return std::nullopt;
    bool engineRead = false;
    bool numberRead = false;
    SoundLine decoded{fields[0], fields[1].toULongLong(&engineRead),
                      fields[2].toLongLong(&numberRead),
                      QString::fromUtf8(QByteArray::fromPercentEncoding(fields[3]))};
    if (!engineRead || !numberRead)
        return std::nullopt;
    return decoded;
}

} // namespace

QByteArray encodeSoundLine(const SoundLine &line)
{
    return line.verb + ' ' + QByteArray::number(line.engine) + ' ' +
           QByteArray::number(line.number) + ' ' + line.text.toUtf8().toPercentEncoding() + '\n';
}

QList<SoundLine> takeSoundLines(QByteArray &pending)
{
    QList<SoundLine> lines;
    const qsizetype whole = pending.lastIndexOf('\n') + 1;
    for (const QByteArray &line : pending.left(whole).split('\n')) {
        if (const std::optional<SoundLine> decoded = decodeSoundLine(line))
            lines.append(*decoded);
    }
    pending.remove(0, whole);
    return lines;
}
