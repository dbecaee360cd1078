#pragma once

#include "app/program.h"
#include "base/digitpainter.h"
#include "fakes.h"
#include "platform/folderlock.h"
#include "playback/soundtable.h"
#include "scriptedengine.h"

#include <QAbstractButton>
#include <QApplication>
#include <QDir>
#include <QFile>
#include <QTemporaryDir>

#include <optional>

// A program folder as installed (conf, an empty als, the ten sounds); autostart looks in it.
struct ProgramFolder final {
    ProgramFolder()
    {
        qputenv("XDG_CONFIG_HOME", QFile::encodeName(file(QStringLiteral("config"))));
        QDir(dir.path()).mkdir(QStringLiteral("Sounds"));
        write(QStringLiteral("conf"), "True\r\n\r\n0\r\n0\r\n0\r\n");
        write(QStringLiteral("als"), "");
        for (const QString &sound : SoundTable::paths(dir.path()))
            write(QDir(dir.path()).relativeFilePath(sound), "RIFF");
    }
    QString file(const QString &name) const { return dir.filePath(name); }
    QByteArray read(const QString &name) const
    {
        QFile f(file(name));
        return f.open(QIODevice::ReadOnly) ? f.readAll() : QByteArray();
    }
    void write(const QString &name, const QByteArray &bytes) const
    {
        QFile f(file(name));
        if (!f.open(QIODevice::WriteOnly) || f.write(bytes) != bytes.size())
            qFatal("cannot write %s", qPrintable(file(name)));
    }
    QTemporaryDir dir;
};

// Takes every scene and keeps what it was last told.
struct RecordingPainter final : DigitPainter {
    bool setScene(const Scene &made) override
    {
        scene = made;
        return true;
    }
    void setTimeRule(const TimeRule &given) override { rule = given; }
    void setDrawing(bool on) override { drawing = on; }

    Scene scene;
    TimeRule rule;
    bool drawing = false;
};

// One copy of the program on a test folder with the real lock; `painter` records the digits.
struct TestProgram final {
    explicit TestProgram(const ProgramFolder &folder, bool tray = true, bool painter = false)
        : guard(folder.dir.path()),
          program({clock, ticks, dialogs, end, guard, folder.dir.path(), tray, engines, end, wake,
                   inhibitor, false, painter ? &digits : nullptr, PlayerPace{5, 5}})
    {}
    FakeClock clock;
    ManualTicks ticks;
    RecordingDialogs dialogs;
    RecordingEnd end;
    FolderLockGuard guard;
    ScriptedEngineFactory engines;
    RecordingWake wake;
    RecordingInhibitor inhibitor;
    RecordingPainter digits;
    Program program;
};

// A control by its object name; a missing one (renamed) gives null and says which, so the
// caller's QVERIFY fails the test rather than crashing it.
template <typename T> T *control(const QObject *window, const char *name)
{
    T *found = window ? window->findChild<T *>(QLatin1String(name)) : nullptr;
    if (!found)
        qWarning("no control named %s", name);
    return found;
}

// Clicks a window's button by its object name; false when there is none.
inline bool click(const QObject *window, const char *name)
{
    QAbstractButton *button = control<QAbstractButton>(window, name);
    if (button)
        button->click();
    return button != nullptr;
}

// Ticks or clears a check box or option button by its object name; false when there is none.
inline bool setChecked(const QObject *window, const char *name, bool checked)
{
    QAbstractButton *button = control<QAbstractButton>(window, name);
    if (button)
        button->setChecked(checked);
    return button != nullptr;
}

// The open top-level window of class T, else null.
template <typename T> T *openWindow()
{
    for (QWidget *window : QApplication::topLevelWidgets()) {
        if (auto *found = qobject_cast<T *>(window))
            return found;
    }
    return nullptr;
}

// The visible top-level window of that object name, else null.
inline QWidget *shownWindow(const QString &name)
{
    for (QWidget *window : QApplication::topLevelWidgets()) {
        if (window->objectName() == name && window->isVisible())
            return window;
    }
    return nullptr;
}

// The alarm file that holds these alarms.
inline QByteArray alarmLines(const QList<AlarmRecord> &alarms)
{
    QByteArray als;
    for (const AlarmRecord &alarm : alarms)
        als += formatAlarmLine(alarm, QLocale()).toUtf8() + "\r\n";
    return als;
}
