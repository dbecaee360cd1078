#pragma once

#include "app/windowsizing.h"

#include <QDate>
#include <QPoint>
#include <QWidget>

class Clock;
class LedClock;
class QDateTime;
class QLabel;
struct Settings;

// The clock window: borderless, black, always on top, draggable, with the date
// line above the LED digits. It shows the time it is given, lays itself out
// for the display size of the settings in effect, and asks for the menu.
class BigCForm final : public QWidget {
    Q_OBJECT
    Q_DISABLE_COPY_MOVE(BigCForm)

public:
    BigCForm(const Clock &clock, const Settings &settings, QWidget *parent = nullptr);
    ~BigCForm() override;

    // The load handler's window part: the first time text, the layout for the
    // display size and the place at the top centre of the screen.
    void load();

    // Puts the window at a place it had before (its top-left corner, as
    // dragged()) unless no screen now holds it there whole (a monitor that has
    // gone); whether it was put there. Where the compositor places windows it
    // has no effect.
    bool placeAt(const QPoint &topLeft);

    // Lays the window out for a display size in percent; keeps its top-left corner.
    void Sizing(int percent);
    // Shows the settings' time format and display size at once.
    void applySettings();

    // The tick's part: the time, and the date line when the day changed.
    void showTime(const QDateTime &now);
    // The time text the digits show for `now`, in the settings' format.
    QString timeTextAt(const QDateTime &now) const;

    // The time and the date line the window shows, as a screen reader reads them.
    QString timeAndDateShown() const;

    LedClock *display() const { return m_display; }
    QLabel *TheDate() const { return m_theDate; }

Q_SIGNALS:
    // The menu is asked for at `globalPos`: by the mouse, or from the keyboard
    // (the menu key or Shift+F10), which also selects its first item.
    void menuRequested(const QPoint &globalPos, bool fromKeyboard);
    // A drag with the mouse has put the window here (its top-left corner).
    void dragged(const QPoint &topLeft);
    void shown();
    void hidden();
    // The digits have new pictures or places: the window was laid out anew or
    // got another native window.
    void digitsMoved();
    // The window was closed, which ends the program.
    void closed();

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
    void refreshDateLine(QDate today);
    void pointerDown(int button, double x, double y);
    void pointerMove(double x, double y);
    void pointerUp(int button);
    // Hands the drag to the compositor where only it can move windows.
    bool moveByCompositor();

    const Clock &m_clock;
    const Settings &m_settings;
    LedClock *m_display = nullptr;
    QLabel *m_theDate = nullptr;
    QDate m_dateLineDay; // the day TheDate shows
    ClockWindowLayout m_layout;
    bool m_dragging = false;
    QPoint m_grab;      // twips on the pressed control
    QPoint m_dragStart; // the window's place when the drag began
};
