#pragma once

#include "alarmengine/alarmview.h"

#include <QObject>

#include <optional>

// Mirrors a ringing alarm in the desktop's notifications, the freedesktop
// notification service on the session bus: its time and message, with
// "Snooze" and "OK", which act as the alarm window's buttons. The notification
// goes when the alarm is answered in any other way. Without a notification
// service nothing shows and nothing waits for one; where there is no session
// bus (Windows) it does nothing.
class DesktopNotifications final : public QObject {
    Q_OBJECT
    Q_DISABLE_COPY_MOVE(DesktopNotifications)

public:
    explicit DesktopNotifications(QObject *parent = nullptr);
    ~DesktopNotifications() override;

    void show(const ShownAlarm &alarm);
    void close();

Q_SIGNALS:
    void snoozeRequested();
    void okRequested();

private Q_SLOTS:
    void actionInvoked(uint id, const QString &action);
    void notificationClosed(uint id, uint reason);

private:
    void listen();
    // Asks the server to show `alarm`, for the `asked`-th notification.
    void notify(const ShownAlarm &alarm, quint64 asked);

    uint m_shown = 0; // the server's id of the notification shown; 0 for none
    bool m_listening = false;
    quint64 m_asked = 0; // counts the notifications asked for, so a late answer finds its own
    // Whether the server reads markup in a notification's body, once it said.
    std::optional<bool> m_markup;
};
