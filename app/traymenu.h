#pragma once

#include <QList>
#include <QObject>
#include <QSystemTrayIcon>

class BigCForm;
class Dialogs;
class QAction;
class QMenu;

// The tray icon and the popup menu ("Hide Time" / "Show Time", "Alarms",
// "Options", "About", "Exit..."), with the clock window's showing and hiding.
// Without a notification area the clock is the only way into the program, so
// it shows whatever the settings say and cannot be hidden.
class TrayMenu final : public QObject {
    Q_OBJECT
    Q_DISABLE_COPY_MOVE(TrayMenu)

public:
    // `statusNotifier`: the notification area shows the menu the icon exports
    // and sends activations rather than mouse messages.
    TrayMenu(BigCForm &clock, Dialogs &dialogs, bool statusNotifier, QObject *parent = nullptr);
    ~TrayMenu() override;

    // Start-up: the icon where there is a notification area, and the clock
    // shown or hidden as the settings say.
    void load(bool trayAvailable, bool showAtStart);

    // A notification area appeared or went away after start: the icon follows
    // it, and the clock shows whenever there is no icon to bring it back.
    void setTrayAvailable(bool available);
    // Another start of the program: the user is looking for the clock.
    void showOnRequest();
    void removeTrayIcon();

    // Opens the menu at `globalPos`; from the keyboard, with its first item selected.
    void popup(const QPoint &globalPos, bool fromKeyboard);

    // Tells the user something without stopping them: on the tray icon's
    // balloon, or in a message box where there is no tray.
    void showNotice(const QString &text);
    // An alarm rings: the tray icon's balloon says so, where there is a tray,
    // and a click on it says alarmMessageClicked. Once the alarm is answered,
    // its balloon goes (where the platform lets it: on Windows).
    void showAlarmMessage(const QString &text);
    void withdrawAlarmMessage();

    // The popup menu, made on first use.
    QMenu *mPopupSys();
    QAction *hideshow() const { return m_hideshow; }
    // Null where the platform has no notification area.
    QSystemTrayIcon *trayIcon() const { return m_tray; }

Q_SIGNALS:
    void alarmsRequested();
    void optionsRequested();
    void aboutRequested();
    void exitRequested();
    void alarmMessageClicked();

private:
    void buildMenu();
    // The tray icon's mouse message, in the platform's numbering.
    void trayMessage(int mouseMessage);
    void showTrayIcon();
    void setHideshowCaption(const QString &caption);
    void showClock();
    void hideshowClick();

    BigCForm &m_clock;
    Dialogs &m_dialogs;
    const bool m_statusNotifier;
    QMenu *m_popup = nullptr;
    QList<QAction *> m_menuActions; // in the menu's order, separators aside
    QAction *m_hideshow = nullptr;
    QString m_caption; // "Hide Time" or "Show Time", whatever the item says beside it
    QSystemTrayIcon *m_tray = nullptr;
    bool m_isshowing = false;    // the clock is shown, not only the tray icon
    bool m_alarmMessage = false; // the balloon is an alarm's, not a notice's
    // Hidden by the settings, but shown because no tray icon could bring it back.
    bool m_shownForLackOfTray = false;
};
