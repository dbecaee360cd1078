#include "settings/frmoptions.h"

#include "base/dialogs.h"
#include "base/topmost.h"
#include "base/twips.h"
#include "playback/mediafilter.h"

#include <QCheckBox>
#include <QCloseEvent>
#include <QComboBox>
#include <QGroupBox>
#include <QKeyEvent>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QRadioButton>
#include <QSignalBlocker>

namespace {

// Places a control at its design position and size in twips.
template <typename Control>
Control *place(Control *control, int left, int top, int width, int height)
{
    control->setGeometry(twipsToPixels(QRectF(left, top, width, height)).toRect());
    return control;
}

// Places a caption at its design position; it keeps at least the width its
// text needs in the platform's font.
template <typename Control>
Control *placeCaption(Control *control, int left, int top, int width, int height)
{
    place(control, left, top, width, height);
    control->resize(qMax(control->width(), control->sizeHint().width()), control->height());
    return control;
}

QGroupBox *frame(QWidget *parent, const char *name, const QString &title)
{
    auto *box = new QGroupBox(title, parent);
    box->setObjectName(QLatin1String(name));
    return box;
}

} // namespace

frmoptions::frmoptions(Dialogs &dialogs)
    : QWidget(nullptr, Qt::Tool | Qt::WindowStaysOnTopHint | Qt::MSWindowsFixedSizeDialogHint),
      m_dialogs(dialogs)
{
    setObjectName(QStringLiteral("frmoptions"));
    setWindowTitle(QStringLiteral("Options"));
    setFixedSize(twipsToPixels(QRectF(0, 0, 5940, 4860)).toRect().size());

    m_hidecheck = new QCheckBox(QStringLiteral("Auto hide to system tray at startup"), this);
    m_hidecheck->setObjectName(QStringLiteral("hidecheck"));
    placeCaption(m_hidecheck, 1320, 120, 2775, 255);

    QGroupBox *frame1 =
        place(frame(this, "Frame1", QStringLiteral("Hourly Chimes")), 120, 480, 5775, 1335);
    m_mhcfile = new QLineEdit(frame1);
    m_mhcfile->setObjectName(QStringLiteral("mhcfile"));
    m_mhcfile->setReadOnly(true);
    m_mhcfile->setAccessibleName(QStringLiteral("Chime sound file"));
    place(m_mhcfile, 120, 480, 4095, 285);
    auto *label1 = new QLabel(QStringLiteral("Select a sound file as chimes:"), frame1);
    label1->setObjectName(QStringLiteral("Label1"));
    placeCaption(label1, 120, 240, 2175, 255);
    auto *command1 = new QPushButton(QStringLiteral("..."), frame1);
    command1->setObjectName(QStringLiteral("Command1"));
    command1->setAccessibleName(QStringLiteral("Choose the chime sound file"));
    place(command1, 4320, 480, 615, 375);
    auto *command2 = new QPushButton(QStringLiteral("Play"), frame1);
    command2->setObjectName(QStringLiteral("Command2"));
    command2->setAccessibleName(QStringLiteral("Play the chime sound file"));
    place(command2, 5040, 480, 615, 375);
    m_check2 = new QCheckBox(QStringLiteral("Enable hourly chimes"), frame1);
    m_check2->setObjectName(QStringLiteral("Check2"));
    placeCaption(m_check2, 120, 960, 1935, 255);

    auto *command3 = new QPushButton(QStringLiteral("OK"), this);
    command3->setObjectName(QStringLiteral("Command3"));
    place(command3, 3840, 4200, 975, 495);
    auto *command4 = new QPushButton(QStringLiteral("Cancel"), this);
    command4->setObjectName(QStringLiteral("Command4"));
    place(command4, 4920, 4200, 975, 495);

    QGroupBox *frame2 =
        place(frame(this, "Frame2", QStringLiteral("Time format")), 120, 2040, 5775, 1095);
    m_hourampm = new QRadioButton(QStringLiteral("AM/PM"), frame2);
    m_hourampm->setObjectName(QStringLiteral("hourampm"));
    placeCaption(m_hourampm, 240, 360, 975, 255);
    m_hourampm->setChecked(true);
    m_hour24 = new QRadioButton(QStringLiteral("24 hours"), frame2);
    m_hour24->setObjectName(QStringLiteral("hour24"));
    placeCaption(m_hour24, 240, 720, 975, 255);

    QGroupBox *frame3 =
        place(frame(this, "Frame3", QStringLiteral("Clock display size:")), 120, 3240, 5775, 855);
    m_comsizepercent = new QComboBox(frame3);
    m_comsizepercent->setObjectName(QStringLiteral("comsizepercent"));
    m_comsizepercent->setAccessibleName(QStringLiteral("Clock display size"));
    m_comsizepercent->addItems(sizeEntries());
    m_comsizepercent->setCurrentIndex(-1);
    place(m_comsizepercent, 120, 360, 2055, 315);

    // In the free corner left of OK, so no control of the design moves.
    m_autostartcheck = new QCheckBox(QStringLiteral("Start with the desktop session"), this);
    m_autostartcheck->setObjectName(QStringLiteral("autostartcheck"));
    placeCaption(m_autostartcheck, 120, 4320, 3600, 255);

    // Return presses the button that has the focus, as Space does, here as in
    // a dialog.
    for (QPushButton *button : {command1, command2, command3, command4})
        button->setAutoDefault(true);

    setTabOrder(m_hidecheck, m_mhcfile);
    setTabOrder(m_mhcfile, command1);
    setTabOrder(command1, command2);
    setTabOrder(command2, m_check2);
    setTabOrder(m_check2, command3);
    setTabOrder(command3, command4);
    setTabOrder(command4, m_hourampm);
    setTabOrder(m_hourampm, m_hour24);
    setTabOrder(m_hour24, m_comsizepercent);
    setTabOrder(m_comsizepercent, m_autostartcheck);

    connect(command1, &QPushButton::clicked, this, &frmoptions::browseClick);
    connect(command2, &QPushButton::clicked, this,
            [this] { Q_EMIT playRequested(m_mhcfile->text()); });
    connect(command3, &QPushButton::clicked, this, [this] {
        hide();
        Q_EMIT accepted(settings());
    });
    connect(command4, &QPushButton::clicked, this, &QWidget::hide);
    connect(m_hidecheck, &QCheckBox::toggled, this, &frmoptions::tellEdited);
    connect(m_mhcfile, &QLineEdit::textChanged, this, &frmoptions::tellEdited);
    connect(m_check2, &QCheckBox::toggled, this, &frmoptions::tellEdited);
    connect(m_hour24, &QRadioButton::toggled, this, &frmoptions::tellEdited);
    connect(m_comsizepercent, &QComboBox::currentIndexChanged, this, &frmoptions::tellEdited);

    settopmost(*this);
}

frmoptions::~frmoptions() = default;

void frmoptions::load(const Settings &settings)
{
    // One report for the whole load rather than one per control.
    const QSignalBlocker quiet(this);
    m_hidecheck->setChecked(!settings.showAtStart);
    m_mhcfile->setText(settings.chimeFile);
    m_check2->setChecked(settings.chimesOn);
    (settings.twentyFourHour ? m_hour24 : m_hourampm)->setChecked(true);
    m_comsizepercent->setCurrentIndex(settings.sizeIndex);
}

Settings frmoptions::settings() const
{
    Settings settings;
    settings.showAtStart = !m_hidecheck->isChecked();
    settings.chimeFile = m_mhcfile->text();
    settings.chimesOn = m_check2->isChecked();
    settings.twentyFourHour = m_hour24->isChecked();
    settings.sizeIndex = qMax(m_comsizepercent->currentIndex(), 0);
    return settings;
}

void frmoptions::loadAutostart(bool on)
{
    m_autostartcheck->setChecked(on);
}

bool frmoptions::autostartChecked() const
{
    return m_autostartcheck->isChecked();
}

void frmoptions::tellEdited()
{
    Q_EMIT edited(settings());
}

void frmoptions::showOptions()
{
    showInFront(*this, m_placed);
}

void frmoptions::browseClick()
{
    const QString file = m_dialogs.openFileName(this, kMediaFileFilter);
    if (!file.isEmpty())
        m_mhcfile->setText(file);
}

void frmoptions::keyPressEvent(QKeyEvent *event)
{
    // Escape is Cancel, as in every dialog.
    if (event->key() == Qt::Key_Escape && event->modifiers() == Qt::NoModifier) {
        hide();
        return;
    }
    QWidget::keyPressEvent(event);
}

void frmoptions::closeEvent(QCloseEvent *event)
{
    event->ignore();
    hide();
}
