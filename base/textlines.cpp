#include "base/textlines.h"

QList<QByteArrayView> textLines(QByteArrayView bytes)
{
    QList<QByteArrayView> lines;
    qsizetype at = 0;
    while (at < bytes.size()) {
        qsizetype end = at;
        while (end < bytes.size() && bytes[end] != '\r' && bytes[end] != '\n')
            ++end;
        lines.append(bytes.sliced(at, end - at));
        at = end;
        if (at < bytes.size() && bytes[at] == '\r') {
            ++at;
            if (at < bytes.size() && bytes[at] == '\n')
                ++at;
        } else if (at < bytes.size()) {
            ++at;
        }
    }
    return lines;
}
