#pragma once

#include <QWidget>

class BigCForm;
class ClockBas;
class QCheckBox;
class QComboBox;
class QLineEdit;
class QPushButton;
class QRadioButton;

// The options dialog. Its controls are the live store of the settings for the
// whole run: the clock tick and the alarm editor read them directly, OK writes
// them to conf, and Cancel or the close box only hide the dialog, so whatever
// is left in it stays in effect.
class frmoptions final : public QWidget {
    Q_OBJECT
    Q_DISABLE_COPY_MOVE(frmoptions)

public:
    frmoptions(ClockBas &bas, BigCForm &form);
    ~frmoptions() override;

    // Shows the dialog where it was, centred on the screen the first time.
    void showOptions();

    QCheckBox *hidecheck() const { return m_hidecheck; }
    QLineEdit *mhcfile() const { return m_mhcfile; }
    QCheckBox *Check2() const { return m_check2; }
    QRadioButton *hourampm() const { return m_hourampm; }
    QRadioButton *hour24() const { return m_hour24; }
    QComboBox *comsizepercent() const { return m_comsizepercent; }
    QPushButton *Command1() const { return m_command1; }
    QPushButton *Command2() const { return m_command2; }
    QPushButton *Command3() const { return m_command3; }
    QPushButton *Command4() const { return m_command4; }

protected:
    void closeEvent(QCloseEvent *event) override;

private:
    void browseClick();
    void okClick();

    ClockBas &m_bas;
    BigCForm &m_form;
    bool m_placed = false;

    QCheckBox *m_hidecheck = nullptr;
    QLineEdit *m_mhcfile = nullptr;
    QCheckBox *m_check2 = nullptr;
    QRadioButton *m_hourampm = nullptr;
    QRadioButton *m_hour24 = nullptr;
    QComboBox *m_comsizepercent = nullptr;
    QPushButton *m_command1 = nullptr;
    QPushButton *m_command2 = nullptr;
    QPushButton *m_command3 = nullptr;
    QPushButton *m_command4 = nullptr;
};
