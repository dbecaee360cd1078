#pragma once

#include <QWidget>

class QLabel;
class QPlainTextEdit;
class QPushButton;

// The window of a ringing alarm: its time and date, the message, Snooze and
// OK. One instance serves every alarm; closing it, whatever the cause, ends
// the alarm in progress.
class alarmwind final : public QWidget {
    Q_OBJECT
    Q_DISABLE_COPY_MOVE(alarmwind)

public:
    explicit alarmwind(QWidget *parent = nullptr);
    ~alarmwind() override;

    // Fills the window for an alarm and shows it on top, centred the first
    // time, and inside the screen's free area (the message scrolls when the
    // screen is small).
    void showAlarm(const QString &timeText, const QString &dateText, const QString &message);
    // A line beside the buttons about how this alarm rang; empty for none.
    void setNote(const QString &note);

Q_SIGNALS:
    void snoozeClicked();
    void okClicked();
    // The window closed: by Snooze, OK, its close box or the program.
    void closed();

protected:
    void closeEvent(QCloseEvent *event) override;
    void keyPressEvent(QKeyEvent *event) override;

private:
    void fitTo(const QSize &room);

    QLabel *m_lbltime = nullptr;
    QPlainTextEdit *m_tmess = nullptr;
    QLabel *m_note = nullptr;
    QPushButton *m_snooze = nullptr;
    QPushButton *m_ok = nullptr;
    bool m_placed = false;
};
