#include "platform/systemsleepinhibitor.h"

#include "base/logging.h"

#include <QDBusConnection>
#include <QDBusMessage>
#include <QDBusPendingCallWatcher>
#include <QDBusPendingReply>

namespace {

// logind answers at once or not at all; a ringing alarm does not wait for it.
constexpr int kInhibitTimeoutMs = 5000;

} // namespace

SystemSleepInhibitor::SystemSleepInhibitor(QObject *parent) : QObject(parent) {}

SystemSleepInhibitor::~SystemSleepInhibitor() = default;

void SystemSleepInhibitor::take()
{
    m_wanted = true;
    if (m_asking || m_lock.isValid())
        return;
    QDBusConnection bus = QDBusConnection::systemBus();
    if (!bus.isConnected()) {
        qCInfo(lcAlarms) << "No system bus: the computer may sleep while an alarm rings.";
        return;
    }
    QDBusMessage call = QDBusMessage::createMethodCall(
        QStringLiteral("org.freedesktop.login1"), QStringLiteral("/org/freedesktop/login1"),
        QStringLiteral("org.freedesktop.login1.Manager"), QStringLiteral("Inhibit"));
    call << QStringLiteral("sleep:idle") << QStringLiteral("Tockaro")
         << QStringLiteral("An alarm is ringing") << QStringLiteral("block");
    m_asking = true;
    auto *watcher = new QDBusPendingCallWatcher(bus.asyncCall(call, kInhibitTimeoutMs), this);
    connect(watcher, &QDBusPendingCallWatcher::finished, this,
            [this](QDBusPendingCallWatcher *answer) {
                answer->deleteLater();
                m_asking = false;
                const QDBusPendingReply<QDBusUnixFileDescriptor> reply = *answer;
                if (reply.isError()) {
                    qCInfo(lcAlarms).noquote() << "The computer may sleep while an alarm rings:"
                                               << reply.error().message();
                    return;
                }
                // An alarm that ended before the answer came needs no lock.
                if (m_wanted)
                    m_lock = reply.value();
            });
}

void SystemSleepInhibitor::release()
{
    m_wanted = false;
    // The lock is the descriptor: closing it lets the computer sleep again.
    m_lock = QDBusUnixFileDescriptor();
}
