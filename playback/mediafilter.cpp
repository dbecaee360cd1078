#include "playback/mediafilter.h"

#include <QStringList>

QString toFileDialogFilter(const QString &filter)
{
    const QStringList parts = filter.split(QLatin1Char('|'));
    QStringList choices;
    for (qsizetype i = 0; i + 1 < parts.size(); i += 2) {
        const QString patterns = parts.at(i + 1).split(QLatin1Char(';')).join(QLatin1Char(' '));
        choices.append(parts.at(i) + QStringLiteral(" (") + patterns + QLatin1Char(')'));
    }
    return choices.join(QStringLiteral(";;"));
}
