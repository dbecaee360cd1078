#pragma once

#include "settings/conffile.h"

#include <QWidget>

class Dialogs;
class QCheckBox;
class QComboBox;
class QLineEdit;
class QRadioButton;

// The options dialog, a view over the settings. Cancel and the close box only
// hide it: what is left in it stays, and the next OK saves it. The chime
// settings count from the moment they change (the clock chimes by what the
// dialog shows); the others when OK is pressed.
class frmoptions final : public QWidget {
    Q_OBJECT
    Q_DISABLE_COPY_MOVE(frmoptions)

public:
    explicit frmoptions(Dialogs &dialogs);
    ~frmoptions() override;

    // Shows these settings in the controls.
    void load(const Settings &settings);
    // The settings the controls show.
    Settings settings() const;

    // Whether the desktop session starts the program: kept outside conf, so
    // outside the settings; applied on OK like them.
    void loadAutostart(bool on);
    bool autostartChecked() const;

    // Shows the dialog where it was, centred on the screen the first time.
    void showOptions();

Q_SIGNALS:
    // A control changed; the settings now shown.
    void edited(const Settings &settings);
    // OK was pressed; the dialog is hidden.
    void accepted(const Settings &settings);
    // Play was pressed for this chime file.
    void playRequested(const QString &chimeFile);

protected:
    void closeEvent(QCloseEvent *event) override;
    void keyPressEvent(QKeyEvent *event) override;

private:
    void browseClick();
    void tellEdited();

    Dialogs &m_dialogs;
    bool m_placed = false;

    QCheckBox *m_hidecheck = nullptr;
    QLineEdit *m_mhcfile = nullptr;
    QCheckBox *m_check2 = nullptr;
    QRadioButton *m_hourampm = nullptr;
    QRadioButton *m_hour24 = nullptr;
    QComboBox *m_comsizepercent = nullptr;
    QCheckBox *m_autostartcheck = nullptr;
};
