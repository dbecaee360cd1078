#pragma once

#include "app/clock.h"
#include "app/clockbas.h"
#include "app/dialogs.h"
#include "app/instanceguard.h"
#include "app/programend.h"
#include "playback/soundtable.h"
#include "scriptedengine.h"

#include <QDir>
#include <QFile>
#include <QStringList>
#include <QTemporaryDir>

// A clock that stands still until the test moves it.
class FakeClock final : public Clock {
public:
    explicit FakeClock(const QDateTime &start) : m_now(start) {}
    QDateTime now() const override { return m_now; }
    void set(const QDateTime &now) { m_now = now; }

private:
    QDateTime m_now;
};

// Answers every message box at once and remembers what it said; file dialogs
// return the answers queued by the test, then "cancelled".
class RecordingDialogs final : public Dialogs {
public:
    void messg(const QString &text) override { messages.append(text); }
    QString openFileName(QWidget *, const QString &filter) override
    {
        fileFilters.append(filter);
        return fileAnswers.isEmpty() ? QString() : fileAnswers.takeFirst();
    }

    QStringList messages;
    QStringList fileAnswers;
    QStringList fileFilters;
};

class RecordingEnd final : public ProgramEnd {
public:
    void endProgram() override { ++requests; }
    int requests = 0;
};

// A program folder as the installer lays it out: conf, an empty als and the
// ten built-in sounds.
class ProgramFolder {
public:
    ProgramFolder()
    {
        QDir(path()).mkdir(QStringLiteral("Sounds"));
        write(QStringLiteral("conf"), "True\r\n\r\n0\r\n0\r\n0\r\n");
        write(QStringLiteral("als"), "");
        for (const QString &sound : SoundTable::paths(path()))
            write(QDir(path()).relativeFilePath(sound), "RIFF");
    }

    QString path() const { return m_dir.path(); }
    QString file(const QString &name) const { return m_dir.filePath(name); }

    void write(const QString &name, const QByteArray &bytes) const
    {
        QFile f(file(name));
        if (!f.open(QIODevice::WriteOnly) || f.write(bytes) != bytes.size())
            qFatal("cannot write %s", qPrintable(file(name)));
    }

    void remove(const QString &name) const { QFile::remove(file(name)); }

private:
    QTemporaryDir m_dir;
};

// One running copy of the program on a test folder, with doubles for every
// seam but the instance guard, which is the real lock.
struct TestProgram {
    explicit TestProgram(const ProgramFolder &folder, bool trayAvailable = true,
                         const QDateTime &now = QDateTime(QDate(2026, 12, 7), QTime(6, 59, 55)))
        : clock(now), guard(folder.path()),
          bas({clock, dialogs, end, guard, folder.path(), trayAvailable, engines})
    {}

    FakeClock clock;
    RecordingDialogs dialogs;
    RecordingEnd end;
    FolderLockGuard guard;
    ScriptedEngineFactory engines;
    ClockBas bas;
};
