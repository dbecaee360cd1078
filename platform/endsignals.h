#pragma once

#include <QObject>

class QSocketNotifier;

// Turns SIGTERM, SIGINT and SIGHUP (kill, Ctrl+C, a closed terminal or an
// ending session) into a signal on the event loop, so the program ends the way
// Exit ends it instead of dying with its lock and tray icon in place. One per
// process; where the platform has no such signals it never fires.
class EndSignals final : public QObject {
    Q_OBJECT
    Q_DISABLE_COPY_MOVE(EndSignals)

public:
    explicit EndSignals(QObject *parent = nullptr);
    ~EndSignals() override;

Q_SIGNALS:
    void endRequested();

private:
    QSocketNotifier *m_notifier = nullptr;
};
