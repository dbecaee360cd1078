#pragma once

#include "app/alarminprogress.h"
#include "app/bigcformstate.h"
#include "app/windowsizing.h"
#include "base/digitpainter.h"

#include <QDate>
#include <QList>
#include <QPoint>
#include <QSystemTrayIcon>
#include <QWidget>

#include <optional>

struct Settings;

// The user guide's file in the program folder, which the install lays out.
inline const QString kUserGuide = QStringLiteral("user-guide.md");

class ClockBas;
class LedClock;
class QAction;
class QLabel;
class QMenu;

// The clock window: borderless, black, always on top, draggable, with the date
// line above the LED digits; and the tray icon with its popup menu.
class BigCForm final : public QWidget {
    Q_OBJECT
    Q_DISABLE_COPY_MOVE(BigCForm)

public:
    explicit BigCForm(ClockBas &bas, QWidget *parent = nullptr);
    ~BigCForm() override;

    // The load handler: refuses a second copy, registers the tray icon, lays out,
    // places and shows or hides the window. False when this copy must not run.
    bool load();

    // Makes `window` topmost where it is and, with showbig, shows the clock.
    void Showled(QWidget &window, bool showbig);

    // Writes the settings to conf and applies the time format and the display size.
    void savemainoptions(const Settings &settings);

    // Lays the window out for a display size in percent; keeps its top-left corner.
    void Sizing(int percent);

    // What rings: the alarm in progress, those waiting, the snoozes, the chime.
    AlarmInProgress &alarms() { return m_alarm; }
    // Null until the first alarm.
    alarmwind *alarmWindow() const { return m_alarm.window(); }

    // A notification area appeared or went away after start: the icon follows
    // it, and the clock shows whenever there is no icon to bring it back.
    void setTrayAvailable(bool available);
    // Another start of the program: the user is looking for the clock.
    void showOnRequest();
    // Ends the program as Exit does, for a request from outside (a signal, the
    // session's end); a ringing alarm falls silent first.
    void endOnRequest();

    BigCFormState state;

    // The time and the date line the window shows, as a screen reader reads them.
    QString timeAndDateShown() const;

    LedClock *display() const { return m_display; }
    QLabel *TheDate() const { return m_theDate; }
    // The popup menu, made on first use.
    QMenu *mPopupSys();
    QAction *hideshow() const { return m_hideshow; }
    // Null where the platform has no notification area.
    QSystemTrayIcon *trayIcon() const { return m_tray; }

protected:
    bool event(QEvent *event) override;
    void showEvent(QShowEvent *event) override;
    void hideEvent(QHideEvent *event) override;
    void closeEvent(QCloseEvent *event) override;
    void paintEvent(QPaintEvent *event) override;
    bool eventFilter(QObject *watched, QEvent *event) override;
    void keyPressEvent(QKeyEvent *event) override;
    void contextMenuEvent(QContextMenuEvent *event) override;

private:
    void buildMenu();
    // The tray icon's mouse message, in the platform's numbering.
    void trayMessage(int mouseMessage);
    void addTrayIcon();
    void showTrayIcon();
    void removeTrayIcon();
    void setHideshowCaption(const QString &caption);
    void showClock();
    void hideshowClick();
    void aboutClick();
    void openMenuFromKeyboard();
    void alarmsformClick();
    void exitClick();

    void Timer1_Timer();
    // Hands the digits to the painter, if there is one and it can draw them.
    void startDigitPainter();
    void followTimeRule(const QDateTime &now);
    // Tells the tick source which seconds the clock can do without.
    void planTicks(const QDateTime &now);
    void refreshDateLine(QDate today);
    // Tells the user something without stopping them: on the tray icon's
    // balloon, or in a message box where there is no tray.
    void showNotice(const QString &text);

    void pointerDown(int button, double x, double y);
    void pointerMove(double x, double y);
    void pointerUp(int button);

    ClockBas &m_bas;
    LedClock *m_display = nullptr;
    QLabel *m_theDate = nullptr;
    QMenu *m_popup = nullptr;
    QList<QAction *> m_menuActions; // in the menu's order, separators aside
    QAction *m_hideshow = nullptr;
    QSystemTrayIcon *m_tray = nullptr;
    QDate m_dateLineDay; // the day TheDate shows
    ClockWindowLayout m_layout;
    AlarmInProgress m_alarm;

    // Hidden by the settings, but shown because no tray icon could bring it back.
    bool m_shownForLackOfTray = false;
    // The painter draws the digits: the tick need not come each second for them.
    bool m_digitsPainted = false;
    std::optional<DigitPainter::TimeRule> m_timeRule; // as the painter last had it
    bool m_dragging = false;
    QPoint m_grab; // twips on the pressed control
};
