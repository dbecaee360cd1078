#include "app/programfiles.h"

#include "playback/soundtable.h"

#include <QDir>

ProgramFiles programFiles(const QString &programFolder)
{
    const QDir folder(programFolder);
    ProgramFiles files;
    files.confFilePath = folder.filePath(QStringLiteral("conf"));
    files.alarmFilePath = folder.filePath(QStringLiteral("als"));
    files.stateFilePath = folder.filePath(QStringLiteral("state"));
    files.soundfiles = SoundTable::paths(programFolder);
    files.defaultChime = SoundTable::chimePath(programFolder);
    return files;
}
