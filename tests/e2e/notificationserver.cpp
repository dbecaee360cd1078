// A stand-in for the desktop's notification server on the session bus: it
// records each Notify and CloseNotification call, a line each, to the file it
// is given, and invokes an action of the last notification when asked by its
// Invoke method (as a user's click would: ActionInvoked, then
// NotificationClosed). It reads markup in a notification's body.
//
// usage: notificationserver RECORD

#include <QCoreApplication>
#include <QDBusConnection>
#include <QDBusError>
#include <QFile>
#include <QObject>
#include <QVariantMap>

#include <cstdio>

namespace {

class NotificationServer final : public QObject {
    Q_OBJECT
    Q_CLASSINFO("D-Bus Interface", "org.freedesktop.Notifications")

public:
    explicit NotificationServer(const QString &record) : m_record(record) {}

public Q_SLOTS:
    QStringList GetCapabilities() { return {"actions", "body", "body-markup"}; }
    QString GetServerInformation(QString &vendor, QString &version, QString &specVersion)
    {
        vendor = QStringLiteral("tests");
        version = QStringLiteral("1");
        specVersion = QStringLiteral("1.2");
        return QStringLiteral("notificationserver");
    }
    uint Notify(const QString &, uint, const QString &, const QString &summary, const QString &body,
                const QStringList &actions, const QVariantMap &, int)
    {
        record(QStringLiteral("Notify %1 %2|%3|%4")
                   .arg(++m_last)
                   .arg(summary, body, actions.join(u',')));
        return m_last;
    }
    void CloseNotification(uint id)
    {
        record(QStringLiteral("CloseNotification %1").arg(id));
        Q_EMIT NotificationClosed(id, 3);
    }
    void Invoke(const QString &action)
    {
        Q_EMIT ActionInvoked(m_last, action);
        Q_EMIT NotificationClosed(m_last, 2);
    }

Q_SIGNALS:
    void ActionInvoked(uint id, const QString &action);
    void NotificationClosed(uint id, uint reason);

private:
    void record(const QString &line)
    {
        QFile file(m_record);
        if (file.open(QIODevice::Append))
            file.write(line.toUtf8() + '\n');
    }

    QString m_record;
    uint m_last = 0;
};

} // namespace

int main(int argc, char *argv[])
{
    QCoreApplication app(argc, argv);
    if (argc != 2) {
        std::fputs("usage: notificationserver RECORD\n", stderr);
        return 2;
    }
    NotificationServer server(QString::fromLocal8Bit(argv[1]));
    QDBusConnection bus = QDBusConnection::sessionBus();
    if (!bus.registerObject(QStringLiteral("/org/freedesktop/Notifications"), &server,
                            QDBusConnection::ExportAllSlots | QDBusConnection::ExportAllSignals) ||
        !bus.registerService(QStringLiteral("org.freedesktop.Notifications"))) {
        std::fprintf(stderr, "notificationserver: %s\n", qPrintable(bus.lastError().message()));
        return 1;
    }
    return QCoreApplication::exec();
}

#include "notificationserver.moc"
