#include "platform/traywatch.h"

#include <QGuiApplication>
#include <QSystemTrayIcon>
#include <QTimer>

#include <cstdlib>

#ifndef Q_OS_WIN
#include <QDBusConnection>
#include <QDBusMessage>
#include <QDBusVariant>
#endif

#if defined(TOCKARO_HAVE_XCB) && QT_CONFIG(xcb)
#define TOCKARO_XCB 1
#include <xcb/xcb.h>
#endif

namespace {

// Asks what Qt asks before it exports the icon over D-Bus: outside X11 always,
// on X11 when a status-notifier watcher has a host registered.
bool usesStatusNotifierHost()
{
#ifdef Q_OS_WIN
    return false;
#else
    if (QGuiApplication::platformName() != QLatin1String("xcb"))
        return true;
    QDBusMessage get = QDBusMessage::createMethodCall(
        QStringLiteral("org.kde.StatusNotifierWatcher"), QStringLiteral("/StatusNotifierWatcher"),
        QStringLiteral("org.freedesktop.DBus.Properties"), QStringLiteral("Get"));
    get << QStringLiteral("org.kde.StatusNotifierWatcher")
        << QStringLiteral("IsStatusNotifierHostRegistered");
    const QDBusMessage reply = QDBusConnection::sessionBus().call(get, QDBus::Block, 2000);
    return reply.type() == QDBusMessage::ReplyMessage && !reply.arguments().isEmpty() &&
           reply.arguments().constFirst().value<QDBusVariant>().variant().toBool();
#endif
}

} // namespace

TrayWatch::TrayWatch(QObject *parent)
    : QObject(parent), m_available(QSystemTrayIcon::isSystemTrayAvailable()),
      m_statusNotifierHost(usesStatusNotifierHost())
{
#ifdef TOCKARO_XCB
    // The offscreen platform answers as X11 too, without a connection.
    const auto *x11 = qGuiApp->nativeInterface<QNativeInterface::QX11Application>();
    xcb_connection_t *connection = x11 ? x11->connection() : nullptr;
    if (!connection)
        return;
    const char name[] = "MANAGER";
    xcb_intern_atom_reply_t *reply = xcb_intern_atom_reply(
        connection, xcb_intern_atom(connection, 0, sizeof name - 1, name), nullptr);
    if (!reply)
        return;
    m_managerAtom = reply->atom;
    std::free(reply);
    QCoreApplication::instance()->installNativeEventFilter(this);
#endif
}

TrayWatch::~TrayWatch()
{
    if (m_managerAtom && QCoreApplication::instance())
        QCoreApplication::instance()->removeNativeEventFilter(this);
}

bool TrayWatch::nativeEventFilter(const QByteArray &eventType, void *message, qintptr *)
{
#ifdef TOCKARO_XCB
    if (eventType != "xcb_generic_event_t")
        return false;
    const auto *event = static_cast<const xcb_generic_event_t *>(message);
    const uint8_t type = event->response_type & 0x7f;
    const bool trayMayHaveChanged =
        (type == XCB_CLIENT_MESSAGE &&
         reinterpret_cast<const xcb_client_message_event_t *>(event)->type == m_managerAtom) ||
        type == XCB_DESTROY_NOTIFY;
    // Qt's own tray tracker sees the event after this filter; ask once it has.
    if (trayMayHaveChanged && !m_recheckQueued) {
        m_recheckQueued = true;
        QTimer::singleShot(0, this, &TrayWatch::recheck);
    }
#else
    Q_UNUSED(eventType);
    Q_UNUSED(message);
#endif
    // Qt handles every event too.
    return false;
}

void TrayWatch::recheck()
{
    m_recheckQueued = false;
    const bool available = QSystemTrayIcon::isSystemTrayAvailable();
    if (available == m_available)
        return;
    m_available = available;
    Q_EMIT availabilityChanged(available);
}
