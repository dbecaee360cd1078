#include "app/traymenu.h"

#include "app/bigcform.h"
#include "app/traymessage.h"
#include "base/dialogs.h"
#include "base/logging.h"
#include "base/topmost.h"

#include <QAction>
#include <QCursor>
#include <QMenu>

#include <utility>

namespace {

int trayMessageFor(QSystemTrayIcon::ActivationReason reason)
{
    switch (reason) {
    case QSystemTrayIcon::Trigger:
        return TrayMessage::LeftButtonDown;
    case QSystemTrayIcon::DoubleClick:
        return TrayMessage::LeftButtonDoubleClick;
    case QSystemTrayIcon::Context:
        return TrayMessage::RightButtonUp;
    case QSystemTrayIcon::MiddleClick:
        return TrayMessage::MiddleButtonUp;
    case QSystemTrayIcon::Unknown:
        break;
    }
    return TrayMessage::MouseMove;
}

} // namespace

TrayMenu::TrayMenu(BigCForm &clock, Dialogs &dialogs, bool statusNotifier, QObject *parent)
    : QObject(parent), m_clock(clock), m_dialogs(dialogs), m_statusNotifier(statusNotifier)
{
    buildMenu();
}

TrayMenu::~TrayMenu() = default;

void TrayMenu::buildMenu()
{
    const auto action = [this](const QString &caption, const char *name) {
        auto *made = new QAction(caption, this);
        made->setObjectName(QLatin1String(name));
        return made;
    };
    m_hideshow = action(QStringLiteral("Show Time"), "hideshow");
    connect(m_hideshow, &QAction::triggered, this, &TrayMenu::hideshowClick);
    QAction *alarms = action(QStringLiteral("Alarms"), "Alarmsform");
    connect(alarms, &QAction::triggered, this, &TrayMenu::alarmsRequested);
    QAction *options = action(QStringLiteral("Options"), "mopts");
    connect(options, &QAction::triggered, this, &TrayMenu::optionsRequested);
    QAction *about = action(QStringLiteral("About"), "About");
    connect(about, &QAction::triggered, this, &TrayMenu::aboutRequested);
    QAction *exit = action(QStringLiteral("Exit..."), "Exit");
    connect(exit, &QAction::triggered, this, &TrayMenu::exitRequested);
    m_menuActions = {m_hideshow, alarms, options, about, exit};
}

QMenu *TrayMenu::mPopupSys()
{
    // Made when first wanted: where the tray passes clicks on, an idle clock
    // need not carry a menu that nobody has opened. Its parent is the clock
    // window, so it opens above the clock.
    if (!m_popup) {
        m_popup = new QMenu(&m_clock);
        m_popup->setObjectName(QStringLiteral("mPopupSys"));
        m_popup->setAccessibleName(QStringLiteral("Tockaro"));
        m_popup->setToolTipsVisible(true);
        m_popup->addAction(m_menuActions[0]);
        m_popup->addSeparator()->setObjectName(QStringLiteral("Bar0"));
        m_popup->addActions(m_menuActions.mid(1, 3));
        m_popup->addSeparator()->setObjectName(QStringLiteral("Bar2"));
        m_popup->addAction(m_menuActions[4]);
    }
    return m_popup;
}

void TrayMenu::popup(const QPoint &globalPos, bool fromKeyboard)
{
    QMenu *menu = mPopupSys();
    if (fromKeyboard && menu->isVisible())
        return;
    menu->popup(globalPos);
    if (fromKeyboard)
        menu->setActiveAction(menu->actions().constFirst());
}

void TrayMenu::load(bool trayAvailable, bool showAtStart)
{
    m_isshowing = showAtStart;
    if (trayAvailable)
        showTrayIcon();
    // Without a notification area the clock is the only way into the program,
    // so it shows whatever the settings say and cannot be hidden.
    if (!m_tray) {
        m_shownForLackOfTray = !m_isshowing;
        m_isshowing = true;
    }
    m_hideshow->setEnabled(m_tray != nullptr);
    if (m_isshowing) {
        setHideshowCaption(QStringLiteral("Hide Time"));
        settopmost(m_clock);
        m_clock.show();
        m_clock.raise();
    } else {
        setHideshowCaption(QStringLiteral("Show Time"));
        m_clock.hide();
    }
}

void TrayMenu::showTrayIcon()
{
    if (!m_tray) {
        m_tray = new QSystemTrayIcon(m_clock.windowIcon(), this);
        m_tray->setToolTip(QStringLiteral("Right Click For Popup"));
        // A status-notifier host never passes a right click on: it shows the
        // menu the icon exports. An XEmbed tray passes it, and the menu opens
        // at the pointer as on the clock.
        if (m_statusNotifier)
            m_tray->setContextMenu(mPopupSys());
        connect(m_tray, &QSystemTrayIcon::activated, this,
                [this](QSystemTrayIcon::ActivationReason reason) {
                    trayMessage(trayMessageFor(reason));
                });
        connect(m_tray, &QSystemTrayIcon::messageClicked, this, [this] {
            if (std::exchange(m_alarmMessage, false))
                Q_EMIT alarmMessageClicked();
        });
    }
    m_tray->show();
    qCInfo(lcClock) << "tray icon added";
}

void TrayMenu::setTrayAvailable(bool available)
{
    if (m_hideshow->isEnabled() != available) {
        m_hideshow->setEnabled(available);
        setHideshowCaption(m_caption);
    }
    if (available) {
        showTrayIcon();
        if (m_shownForLackOfTray) {
            m_shownForLackOfTray = false;
            hideshowClick();
        }
    } else {
        removeTrayIcon();
        if (!m_isshowing) {
            m_shownForLackOfTray = true;
            showClock();
        }
    }
}

void TrayMenu::showOnRequest()
{
    if (!m_clock.isVisible())
        showClock();
}

void TrayMenu::removeTrayIcon()
{
    if (m_tray) {
        m_tray->hide();
        qCInfo(lcClock) << "tray icon removed";
    }
}

void TrayMenu::trayMessage(int mouseMessage)
{
    const TrayHost host = m_statusNotifier ? TrayHost::StatusNotifier : TrayHost::MouseMessages;
    switch (trayActionFor(mouseMessage, host)) {
    case TrayAction::ShowClock:
        showClock();
        break;
    case TrayAction::OpenMenu:
        mPopupSys()->popup(QCursor::pos());
        break;
    case TrayAction::Nothing:
        break;
    }
}

void TrayMenu::setHideshowCaption(const QString &caption)
{
    m_caption = caption;
    // A greyed item with no word why looks broken: the user is told that the
    // clock stays because nothing else could bring it back.
    const bool offered = m_hideshow->isEnabled();
    const QString text = offered ? caption
                                 : caption + QStringLiteral(" (no notification area: this "
                                                            "menu is the way in)");
    m_hideshow->setText(text);
    m_hideshow->setToolTip(
        offered ? QString()
                : QStringLiteral("The desktop shows no notification area (tray), so nothing "
                                 "could bring a hidden clock back. A right click on the "
                                 "digits, or the menu key, opens this menu."));
    qCInfo(lcClock) << "menu item:" << text;
}

void TrayMenu::showClock()
{
    setHideshowCaption(QStringLiteral("Hide Time"));
    m_isshowing = true;
    settopmost(m_clock);
    m_clock.show();
    m_clock.raise();
    // Asked for by the user: the keys go to it, so its menu opens from the keyboard.
    m_clock.activateWindow();
}

void TrayMenu::hideshowClick()
{
    if (m_isshowing) {
        setHideshowCaption(QStringLiteral("Show Time"));
        m_isshowing = false;
        m_clock.hide();
    } else {
        showClock();
    }
}

void TrayMenu::showNotice(const QString &text)
{
    // Shown until clicked: the user may be away when it comes. Never modal: a
    // ringing alarm's window must take its answer meanwhile.
    if (m_tray && m_tray->isVisible())
        m_tray->showMessage(QStringLiteral("Tockaro"), text, QSystemTrayIcon::Information, 0);
    else
        m_dialogs.notice(text);
    m_alarmMessage = false;
    qCInfo(lcAlarms).noquote() << "notice:" << text;
}

void TrayMenu::showAlarmMessage(const QString &text)
{
    if (!m_tray || !m_tray->isVisible())
        return;
    m_tray->showMessage(QStringLiteral("Tockaro"), text, QSystemTrayIcon::Information, 0);
    m_alarmMessage = true;
}

void TrayMenu::withdrawAlarmMessage()
{
    // An empty message takes the balloon away on Windows.
    if (std::exchange(m_alarmMessage, false) && m_tray)
        m_tray->showMessage({}, {});
}
