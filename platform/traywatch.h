#pragma once

#include <QAbstractNativeEventFilter>
#include <QObject>

// Tells when a notification area appears or goes away (a panel that starts
// after the program, or restarts). Event-driven: it looks only at the X events
// that announce a tray's arrival (the MANAGER message on the root window) and a
// window's end, so an idle program wakes no more often for it.
class TrayWatch final : public QObject, public QAbstractNativeEventFilter {
    Q_OBJECT
    Q_DISABLE_COPY_MOVE(TrayWatch)

public:
    explicit TrayWatch(QObject *parent = nullptr);
    ~TrayWatch() override;

    bool available() const { return m_available; }
    // Whether the icon goes to a status-notifier host over D-Bus rather than
    // into an XEmbed tray. Qt makes that choice once, the first time it looks
    // for a notification area, which this watch does as it is made; the answer
    // holds for the run.
    bool statusNotifierHost() const { return m_statusNotifierHost; }

    bool nativeEventFilter(const QByteArray &eventType, void *message, qintptr *result) override;

Q_SIGNALS:
    void availabilityChanged(bool available);

private:
    void recheck();

    bool m_available = false;
    bool m_statusNotifierHost = false;
    bool m_recheckQueued = false;
    quint32 m_managerAtom = 0;
};
