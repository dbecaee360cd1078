#pragma once

#include <QString>
#include <QStringList>

// Where the program keeps its files: all of them in the program folder.
struct ProgramFiles {
    QString confFilePath;
    QString alarmFilePath;
    QString stateFilePath;  // what a restart must not lose
    QStringList soundfiles; // the ten built-in sounds, in the order of the sound list
    QString defaultChime;
};

ProgramFiles programFiles(const QString &programFolder);
