#include "platform/desktopnotifications.h"

#include "base/logging.h"

#ifdef TOCKARO_HAVE_DBUS
#include <QDBusConnection>
#include <QDBusMessage>
#include <QDBusPendingCallWatcher>
#include <QDBusPendingReply>

#include <utility>

namespace {

const QString kService = QStringLiteral("org.freedesktop.Notifications");
const QString kPath = QStringLiteral("/org/freedesktop/Notifications");
const QString kInterface = QStringLiteral("org.freedesktop.Notifications");

// A server answers at once; an alarm does not wait for one that does not.
constexpr int kCallTimeoutMs = 5000;

QDBusMessage call(const QString &method)
{
    return QDBusMessage::createMethodCall(kService, kPath, kInterface, method);
}

void closeNotification(uint id)
{
    QDBusConnection::sessionBus().call(call(QStringLiteral("CloseNotification")) << id,
                                       QDBus::NoBlock);
}

} // namespace

DesktopNotifications::DesktopNotifications(QObject *parent) : QObject(parent) {}

DesktopNotifications::~DesktopNotifications()
{
    close();
}

// Connected on the first alarm: an idle clock asks the session bus nothing.
void DesktopNotifications::listen()
{
    if (m_listening)
        return;
    QDBusConnection bus = QDBusConnection::sessionBus();
    m_listening = bus.connect(kService, kPath, kInterface, QStringLiteral("ActionInvoked"), this,
                              SLOT(actionInvoked(uint, QString))) &&
                  bus.connect(kService, kPath, kInterface, QStringLiteral("NotificationClosed"),
                              this, SLOT(notificationClosed(uint, uint)));
}

void DesktopNotifications::show(const ShownAlarm &alarm)
{
    close();
    QDBusConnection bus = QDBusConnection::sessionBus();
    if (!bus.isConnected())
        return;
    listen();
    const quint64 asked = ++m_asked;
    if (m_markup) {
        notify(alarm, asked);
        return;
    }
    // The message is the user's text: where the server reads markup, its
    // "&" and "<" must be escaped, and elsewhere left as they are.
    auto *watcher = new QDBusPendingCallWatcher(
        bus.asyncCall(call(QStringLiteral("GetCapabilities")), kCallTimeoutMs), this);
    connect(watcher, &QDBusPendingCallWatcher::finished, this,
            [this, alarm, asked](QDBusPendingCallWatcher *answer) {
                answer->deleteLater();
                const QDBusPendingReply<QStringList> reply = *answer;
                if (reply.isError()) {
                    qCInfo(lcAlarms).noquote()
                        << "no desktop notification:" << reply.error().message();
                    return;
                }
                m_markup = reply.value().contains(QStringLiteral("body-markup"));
                if (asked == m_asked)
                    notify(alarm, asked);
            });
}

void DesktopNotifications::notify(const ShownAlarm &alarm, quint64 asked)
{
    const QVariantMap hints{
        {QStringLiteral("urgency"), QVariant::fromValue(uchar(2))}, // critical: it stays
        {QStringLiteral("desktop-entry"), QStringLiteral("example.tockaro.Tockaro")}};
    QDBusMessage notify = call(QStringLiteral("Notify"));
    notify << QStringLiteral("Tockaro") << uint(0) << QStringLiteral("tockaro")
           << QStringLiteral("Alarm %1").arg(alarm.timeText)
           << (*m_markup ? alarm.message.toHtmlEscaped() : alarm.message)
           << QStringList{QStringLiteral("snooze"), QStringLiteral("Snooze"), QStringLiteral("ok"),
                          QStringLiteral("OK")}
           << hints << 0;
    auto *watcher = new QDBusPendingCallWatcher(
        QDBusConnection::sessionBus().asyncCall(notify, kCallTimeoutMs), this);
    connect(watcher, &QDBusPendingCallWatcher::finished, this,
            [this, asked](QDBusPendingCallWatcher *answer) {
                answer->deleteLater();
                const QDBusPendingReply<uint> reply = *answer;
                if (reply.isError()) {
                    qCInfo(lcAlarms).noquote()
                        << "no desktop notification:" << reply.error().message();
                    return;
                }
                // The alarm was answered before the server answered.
                if (asked != m_asked)
                    closeNotification(reply.value());
                else
                    m_shown = reply.value();
            });
}

void DesktopNotifications::close()
{
    ++m_asked;
    if (m_shown != 0)
        closeNotification(std::exchange(m_shown, 0));
}

void DesktopNotifications::actionInvoked(uint id, const QString &action)
{
    if (id == 0 || id != m_shown)
        return;
    if (action == QLatin1String("snooze"))
        Q_EMIT snoozeRequested();
    else if (action == QLatin1String("ok"))
        Q_EMIT okRequested();
}

void DesktopNotifications::notificationClosed(uint id, uint)
{
    if (id == m_shown)
        m_shown = 0;
}

#else

DesktopNotifications::DesktopNotifications(QObject *parent) : QObject(parent) {}
DesktopNotifications::~DesktopNotifications() = default;
void DesktopNotifications::show(const ShownAlarm &) {}
void DesktopNotifications::close() {}
void DesktopNotifications::actionInvoked(uint, const QString &) {}
void DesktopNotifications::notificationClosed(uint, uint) {}
void DesktopNotifications::listen() {}
void DesktopNotifications::notify(const ShownAlarm &, quint64) {}

#endif
