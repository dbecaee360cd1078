#pragma once

#include "alarms/alarmeditorlogic.h"

#include <QDialog>

#include <array>

class Clock;
class Dialogs;
class QCheckBox;
class QComboBox;
class QDateEdit;
class QGroupBox;
class QPlainTextEdit;
class QRadioButton;
class QSlider;
class QSpinBox;
class QTabWidget;
class QTimeEdit;
class PlaylistPanel;

// The alarm editor: a new alarm or one of the table's, in three tabs. It is
// made for one opening and destroyed when it closes, so every opening starts
// from the initial contents. It stores nothing itself: OK hands its values
// to whoever opened it.
class frmaaddalarm final : public QDialog {
    Q_OBJECT
    Q_DISABLE_COPY_MOVE(frmaaddalarm)

public:
    // twentyFourHour: the options' time format, for the time picker.
    frmaaddalarm(Dialogs &dialogs, const Clock &clock, bool twentyFourHour,
                 QWidget *parent = nullptr);
    ~frmaaddalarm() override;

    // Fills the editor for a new alarm and shows it. fileRoom: the bytes the
    // alarm may take in the alarm file (alarmFileRoom); OK refuses a longer one.
    void openNew(qint64 fileRoom);
    // Fills the editor from an alarm's record and shows it.
    void openExisting(const AlarmRecord &record, qint64 fileRoom);

    void done(int result) override;

protected:
    // Return in the message box is OK, as it is everywhere else in the editor.
    bool eventFilter(QObject *watched, QEvent *event) override;

Q_SIGNALS:
    // OK: store these values as the alarm the editor was opened on (whoever
    // opened it knows which slot that is, or that it is a new alarm).
    void alarmAccepted(const AlarmEditorValues &values);
    // Preview of a built-in sound (its index) or of a playlist file.
    void soundPlayRequested(int soundIndex);
    void filePlayRequested(const QString &path);
    // Try: ring this alarm now, as OK would store it, without storing it.
    void tryRequested(const AlarmRecord &alarm);

private:
    QWidget *createGeneralTab();
    QWidget *createSoundTab();
    QWidget *createEffectsTab();
    void showWithMessageFocused();
    void combofreq_Click(int frequency);
    void gct_Click();
    QString daysofwek() const;
    AlarmEditorValues values() const;
    void Command1_Click();

    Dialogs &m_dialogs;
    const Clock &m_clock;
    const bool m_twentyFourHour;
    // The alarm as it is before the editor changes it, and the room its line has.
    AlarmRecord m_target;
    qint64 m_fileRoom = 0;

    QTabWidget *m_xtab1 = nullptr;
    QPlainTextEdit *m_text1 = nullptr;
    QComboBox *m_combofreq = nullptr;
    QGroupBox *m_frame1 = nullptr;
    QTimeEdit *m_timepicker = nullptr;
    QDateEdit *m_dtpicker1 = nullptr;
    std::array<QCheckBox *, 7> m_weekdays{};
    QCheckBox *m_sleepcheck1 = nullptr;
    QComboBox *m_cmbsoundlist = nullptr;
    QRadioButton *m_optaudvid = nullptr;
    QRadioButton *m_option2 = nullptr;
    PlaylistPanel *m_playlist = nullptr;
    QSlider *m_volume = nullptr;
    QCheckBox *m_fadeincheck = nullptr;
    QCheckBox *m_fadeoutcheck = nullptr;
    QSpinBox *m_txtfademin = nullptr;
    QSpinBox *m_txtsnoozetimer = nullptr;
};
