#pragma once

#include "playback/mediaengine.h"

#include <QHash>
#include <QObject>
#include <QString>
#include <QTimer>

#include <memory>

class QProcess;
struct SoundLine;
class SoundProcessEngine;

// Makes engines that play in the sound program, a child process that this
// factory starts with the first engine and ends a little after the last is
// gone: the decoders, the media framework and the sound server's client never
// enter the clock, so a sound leaves nothing behind in it, and a file that
// crashes a decoder ends the sound program, not the clock, and one that hangs
// it has the program killed. Its engines then fail, as unplayable files do;
// the next engine starts the program afresh. A video's picture is drawn by
// the sound program into the video area, made a native window for it, where
// the clock's windows are X11 windows.
class SoundProcessEngines final : public MediaEngineFactory {
public:
    explicit SoundProcessEngines(QString program);
    ~SoundProcessEngines() override;

    std::unique_ptr<MediaEngine> create(QWidget &videoArea, const QString &file) override;
    // Whether the program could not be started: missing, or not a program.
    bool startFailed() const { return m_startFailed; }

private:
    friend class SoundProcessEngine;

    void send(const SoundLine &line);
    void added(SoundProcessEngine &engine);
    void removed(quint64 number);
    // Kills a program that has left a request unanswered too long.
    void notAnswering();
    void start();
    void readTold();
    void stopped(const QString &reason);
    void endWhenUnused();
    // Keeps a program that no engine uses any more until it has ended.
    void retire(QProcess *process);

    QString m_program;
    std::unique_ptr<QProcess> m_process;
    QByteArray m_told;
    QHash<quint64, SoundProcessEngine *> m_engines;
    quint64 m_made = 0;
    bool m_startFailed = false;
    bool m_hung = false;
    QTimer m_unused;
    // The parent of retired programs: whatever has not ended and been deleted
    // by the factory's end goes with it, so nothing outlives the event loop.
    QObject m_retired;
};
