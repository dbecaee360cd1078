#pragma once

#include "app/clockbas.h"
#include "base/clock.h"
#include "base/dialogs.h"
#include "base/digitpainter.h"
#include "base/poweroff.h"
#include "base/programend.h"
#include "base/sleepinhibitor.h"
#include "base/ticksource.h"
#include "base/waketimer.h"
#include "platform/folderlock.h"
#include "playback/soundtable.h"
#include "scriptedengine.h"

#include <QDir>
#include <QFile>
#include <QTemporaryDir>

#include <optional>

struct FakeClock final : Clock {
    QDateTime now() const override { return at; }
    void set(QTime time, QDate date = QDate(2026, 12, 7)) { at = QDateTime(date, time); }
    QDateTime at = QDateTime(QDate(2026, 12, 7), QTime(6, 59, 55));
};

struct ManualTicks final : TickSource {
    void start() override {}
    void stop() override {}
    void skipUntil(qint64 utcSecond) override { skippingUntil = utcSecond; }
    void resumeEverySecond() override { skippingUntil.reset(); }
    void fire() { Q_EMIT tick(); }

    std::optional<qint64> skippingUntil; // none: a tick every second
};

// Message boxes are answered at once; a file dialog gives the queued answer.
struct RecordingDialogs final : Dialogs {
    void messg(const QString &text) override { messages.append(text); }
    QString openFileName(QWidget *, const QString &filter) override
    {
        fileFilters.append(filter);
        return fileAnswers.isEmpty() ? QString() : fileAnswers.takeFirst();
    }
    QStringList messages, fileAnswers, fileFilters;
};

struct RecordingEnd final : ProgramEnd, PowerOff {
    void endProgram() override { ++requests; }
    Result powerOff() override
    {
        ++powerOffs;
        return powerOffError.isEmpty() ? Result::success() : Result::failure(powerOffError);
    }
    int requests = 0, powerOffs = 0;
    QString powerOffError;
};

// Each arming as local "d hh:mm:ss", empty to disarm; its signals are emitted by hand.
struct RecordingWake final : WakeTimer {
    void arm(const QDateTime &at) override { armings << at.toLocalTime().toString(u"d hh:mm:ss"); }
    QStringList armings;
};

struct RecordingInhibitor final : SleepInhibitor {
    void take() override { events << QStringLiteral("take"); }
    void release() override { events << QStringLiteral("release"); }
    QStringList events;
};

// A program folder as installed: conf, an empty als and the ten sounds. The
// autostart entry the program looks for goes into it, not into the home folder.
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

// One copy of the program on a test folder, with the real instance lock; with
// `painter`, the digits are drawn by a recording painter.
struct TestProgram final {
    explicit TestProgram(const ProgramFolder &folder, bool tray = true, bool painter = false)
        : guard(folder.dir.path()),
          bas({clock, ticks, dialogs, end, guard, folder.dir.path(), tray, engines, end, wake,
               inhibitor, false, painter ? &digits : nullptr})
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
    ClockBas bas;
};
