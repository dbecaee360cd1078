#include "playback/soundtable.h"

namespace {

QString soundsFolder(const QString &programFolder)
{
    return programFolder + QStringLiteral("/Sounds/");
}

} // namespace

QStringList SoundTable::paths(const QString &programFolder)
{
    QStringList result;
    for (const Entry &entry : Entries)
        result.append(soundsFolder(programFolder) + QLatin1String(entry.fileName));
    return result;
}

QString SoundTable::chimePath(const QString &programFolder)
{
    return soundsFolder(programFolder) + QLatin1String(ChimeFileName);
}
