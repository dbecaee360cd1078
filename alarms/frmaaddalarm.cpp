#include "alarms/frmaaddalarm.h"

#include "alarms/alarmfile.h"
#include "alarms/playlistpanel.h"
#include "base/clock.h"
#include "base/dialogs.h"
#include "playback/soundtable.h"

#include <QCheckBox>
#include <QComboBox>
#include <QDateEdit>
#include <QGridLayout>
#include <QGroupBox>
#include <QHBoxLayout>
#include <QLabel>
#include <QLineEdit>
#include <QPlainTextEdit>
#include <QPushButton>
#include <QRadioButton>
#include <QTabWidget>
#include <QTimeEdit>
#include <QToolButton>
#include <QVBoxLayout>

namespace {

constexpr std::array<const char *, 7> kWeekdayCaptions = {"Sun", "Mon", "Tur", "Wed",
                                                          "Thu", "Fri", "Sat"};
constexpr int kDefaultFadeMinutes = 30;
constexpr int kDefaultSnoozeMinutes = 15;

template <typename Widget> Widget *named(Widget *widget, const char *name)
{
    widget->setObjectName(QString::fromLatin1(name));
    return widget;
}

QLabel *label(const QString &text, QWidget *parent, const char *name = nullptr)
{
    auto *result = new QLabel(text, parent);
    if (name)
        result->setObjectName(QString::fromLatin1(name));
    return result;
}

// A button that Return does not press: Return is OK wherever the focus is.
QPushButton *button(const QString &caption, QWidget *parent, const char *name)
{
    auto *result = named(new QPushButton(caption, parent), name);
    result->setAutoDefault(false);
    return result;
}

// The up-down arrows beside a minute text box. The text is repaired as it
// changes (empty or 0 gives 1, above 59 gives 59, the leading number of
// anything else); the arrows step it by one within the same range.
QWidget *minuteUpDown(QLineEdit *text, const char *name)
{
    auto *updown = named(new QWidget(text->parentWidget()), name);
    auto *layout = new QVBoxLayout(updown);
    layout->setContentsMargins(0, 0, 0, 0);
    layout->setSpacing(0);
    for (const int step : {1, -1}) {
        auto *arrow = new QToolButton(updown);
        arrow->setObjectName(step > 0 ? QStringLiteral("up") : QStringLiteral("down"));
        arrow->setArrowType(step > 0 ? Qt::UpArrow : Qt::DownArrow);
        arrow->setAutoRepeat(true);
        arrow->setFocusPolicy(Qt::NoFocus);
        arrow->setFixedSize(text->sizeHint().height(), text->sizeHint().height() / 2);
        layout->addWidget(arrow);
        QObject::connect(arrow, &QToolButton::clicked, text, [text, step] {
            const int next = minuteValue(text->text()) + step;
            text->setText(QString::number(minuteValue(QString::number(next))));
        });
    }
    QObject::connect(text, &QLineEdit::textChanged, text, [text](const QString &now) {
        if (const QString repaired = QString::number(minuteValue(now)); now != repaired)
            text->setText(repaired);
    });
    // Minutes have two digits; the box need not be wider than a few.
    text->setFixedWidth(text->fontMetrics().horizontalAdvance(QStringLiteral("0000")) + 12);
    return updown;
}

} // namespace

frmaaddalarm::frmaaddalarm(Dialogs &dialogs, const Clock &clock, bool twentyFourHour,
                           QWidget *parent)
    : QDialog(parent), m_dialogs(dialogs), m_clock(clock), m_twentyFourHour(twentyFourHour)
{
    setObjectName(QStringLiteral("frmaaddalarm"));
    setWindowTitle(QStringLiteral("Alarm options"));
    setAttribute(Qt::WA_DeleteOnClose);
    setModal(false);

    m_xtab1 = named(new QTabWidget(this), "XTab1");
    m_xtab1->addTab(createGeneralTab(), QStringLiteral("General"));
    m_xtab1->addTab(createSoundTab(dialogs), QStringLiteral("Alarm sound"));
    m_xtab1->addTab(createEffectsTab(), QStringLiteral("V.effects && Snooze"));

    auto *ok = button(QStringLiteral("OK"), this, "Command1");
    ok->setDefault(true);
    auto *cancel = button(QStringLiteral("Cancel"), this, "Command2");
    auto *buttons = new QHBoxLayout;
    buttons->addStretch();
    buttons->addWidget(ok);
    buttons->addWidget(cancel);
    auto *layout = new QVBoxLayout(this);
    layout->addWidget(m_xtab1);
    layout->addLayout(buttons);

    connect(ok, &QPushButton::clicked, this, &frmaaddalarm::Command1_Click);
    connect(cancel, &QPushButton::clicked, this, &QDialog::reject);
    connect(m_playlist, &PlaylistPanel::playRequested, this, &frmaaddalarm::filePlayRequested);

    m_combofreq->setCurrentIndex(AlarmFrequency::Weekly);
    combofreq_Click(AlarmFrequency::Weekly);
    m_cmbsoundlist->setCurrentIndex(0);
}

frmaaddalarm::~frmaaddalarm() = default;

QWidget *frmaaddalarm::createGeneralTab()
{
    auto *tab = new QWidget;
    m_text1 = named(new QPlainTextEdit(QStringLiteral("Alarm message..."), tab), "Text1");
    m_text1->setTabChangesFocus(true);
    m_combofreq = named(new QComboBox(tab), "combofreq");
    m_combofreq->addItems(alarmFrequencyNames());

    m_frame1 = named(new QGroupBox(tab), "Frame1");
    m_timepicker = named(new QTimeEdit(m_frame1), "timepicker");
    m_dtpicker1 = named(new QDateEdit(m_frame1), "DTPicker1");
    m_dtpicker1->setCalendarPopup(true);
    auto *frameLayout = new QGridLayout(m_frame1);
    frameLayout->addWidget(label(QStringLiteral("Time:"), m_frame1, "tlabel"), 0, 0);
    frameLayout->addWidget(m_timepicker, 0, 1);
    frameLayout->addWidget(label(QStringLiteral("Date:"), m_frame1, "dlabel"), 0, 2);
    frameLayout->addWidget(m_dtpicker1, 0, 3);
    frameLayout->addWidget(label(QStringLiteral("Days of week:"), m_frame1, "Label6"), 1, 0, 1, 4);
    auto *days = new QHBoxLayout;
    for (std::size_t day = 0; day < m_weekdays.size(); ++day) {
        m_weekdays[day] = new QCheckBox(QString::fromLatin1(kWeekdayCaptions[day]), m_frame1);
        m_weekdays[day]->setObjectName(QStringLiteral("weekdays%1").arg(day));
        m_weekdays[day]->setChecked(day >= 1 && day <= 5);
        days->addWidget(m_weekdays[day]);
    }
    frameLayout->addLayout(days, 2, 0, 1, 4);
    auto *gct = button(QStringLiteral("Get Current Time"), m_frame1, "gct");
    frameLayout->addWidget(gct, 3, 3);

    m_sleepcheck1 =
        named(new QCheckBox(QStringLiteral("Sleep (will turn off computer)"), tab), "sleepcheck1");

    auto *layout = new QGridLayout(tab);
    layout->addWidget(label(QStringLiteral("Alarm text:"), tab, "Label1"), 0, 0, Qt::AlignTop);
    layout->addWidget(m_text1, 0, 1);
    layout->addWidget(label(QStringLiteral("Frequency:"), tab, "Label3"), 1, 0);
    layout->addWidget(m_combofreq, 1, 1);
    layout->addWidget(m_frame1, 2, 0, 1, 2);
    layout->addWidget(m_sleepcheck1, 3, 0, 1, 2);

    connect(m_combofreq, &QComboBox::activated, this, &frmaaddalarm::combofreq_Click);
    connect(gct, &QPushButton::clicked, this, &frmaaddalarm::gct_Click);
    return tab;
}

QWidget *frmaaddalarm::createSoundTab(Dialogs &dialogs)
{
    auto *tab = new QWidget;
    m_cmbsoundlist = named(new QComboBox(tab), "cmbsoundlist");
    for (const SoundTable::Entry &entry : SoundTable::Entries)
        m_cmbsoundlist->addItem(QString::fromLatin1(entry.name));
    auto *play = button(QStringLiteral("Play"), tab, "Command8");
    m_option2 = named(new QRadioButton(QStringLiteral("Play sound"), tab), "Option2");
    m_optaudvid = named(new QRadioButton(QStringLiteral("Play audio && video"), tab), "optaudvid");
    m_optaudvid->setChecked(true);
    m_playlist = new PlaylistPanel(dialogs, tab);

    auto *layout = new QGridLayout(tab);
    layout->addWidget(label(QStringLiteral("Sound:"), tab, "Label7"), 0, 0);
    layout->addWidget(m_cmbsoundlist, 0, 1);
    layout->addWidget(play, 0, 2);
    layout->addWidget(m_option2, 1, 0, 1, 2);
    layout->addWidget(m_optaudvid, 2, 0, 1, 2);
    layout->addWidget(m_playlist, 3, 0, 1, 3);

    connect(play, &QPushButton::clicked, this, [this] {
        if (const int sound = m_cmbsoundlist->currentIndex(); sound >= 0)
            Q_EMIT soundPlayRequested(sound);
    });
    return tab;
}

QWidget *frmaaddalarm::createEffectsTab()
{
    auto *tab = new QWidget;
    m_fadeincheck =
        named(new QCheckBox(QStringLiteral("Enable fade in effect"), tab), "fadeincheck");
    m_fadeoutcheck = named(
        new QCheckBox(QStringLiteral("Enable fade out effect after playing"), tab), "fadeoutcheck");
    m_txtfademin = named(new QLineEdit(tab), "txtfademin");
    m_txtsnoozetimer = named(new QLineEdit(tab), "txtsnoozetimer");

    auto *layout = new QGridLayout(tab);
    layout->addWidget(m_fadeincheck, 0, 0, 1, 4);
    layout->addWidget(m_fadeoutcheck, 1, 0, 1, 4);
    layout->addWidget(m_txtfademin, 2, 1);
    layout->addWidget(minuteUpDown(m_txtfademin, "UpDown1"), 2, 2);
    layout->addWidget(label(QStringLiteral("minutes"), tab), 2, 3);
    layout->addWidget(label(QStringLiteral("Snooze time:"), tab, "Label4"), 3, 0);
    layout->addWidget(m_txtsnoozetimer, 3, 1);
    layout->addWidget(minuteUpDown(m_txtsnoozetimer, "UpDown2"), 3, 2);
    layout->addWidget(label(QStringLiteral("minutes"), tab), 3, 3);
    layout->setRowStretch(4, 1);
    layout->setColumnStretch(4, 1);
    return tab;
}

void frmaaddalarm::combofreq_Click(int frequency)
{
    const FrequencyLayout look = frequencyLayout(frequency, m_twentyFourHour, QLocale());
    m_frame1->setTitle(look.frameCaption);
    for (QCheckBox *day : m_weekdays)
        day->setEnabled(look.weekdaysEnabled);
    m_dtpicker1->setEnabled(look.datePickerUsable);
    m_dtpicker1->setDisplayFormat(look.datePattern);
    m_timepicker->setDisplayFormat(look.timePattern);
}

void frmaaddalarm::gct_Click()
{
    const QDateTime now = m_clock.now();
    m_timepicker->setTime(now.time());
    m_dtpicker1->setDate(now.date());
}

QString frmaaddalarm::daysofwek() const
{
    QString flags;
    for (const QCheckBox *day : m_weekdays)
        flags += day->isChecked() ? u'1' : u'0';
    return flags;
}

void frmaaddalarm::openNew(qint64 fileRoom)
{
    m_fileRoom = fileRoom;
    m_xtab1->setCurrentIndex(0);
    m_combofreq->setCurrentIndex(AlarmFrequency::Weekly);
    combofreq_Click(AlarmFrequency::Weekly);
    gct_Click();
    m_txtfademin->setText(QString::number(kDefaultFadeMinutes));
    m_txtsnoozetimer->setText(QString::number(kDefaultSnoozeMinutes));
    showWithMessageFocused();
}

void frmaaddalarm::openExisting(const AlarmRecord &record, qint64 fileRoom)
{
    m_target = record;
    m_fileRoom = fileRoom;
    m_xtab1->setCurrentIndex(0);
    // A number beyond the lists (a hand-made file) leaves the list as it was.
    if (record.frequency >= 0 && record.frequency < m_combofreq->count())
        m_combofreq->setCurrentIndex(record.frequency);
    combofreq_Click(m_combofreq->currentIndex());
    m_text1->setPlainText(record.message);
    m_dtpicker1->setDate(record.alarmDate);
    if (const std::optional<QTime> time = alarmTime(record.timeText))
        m_timepicker->setTime(*time);
    m_sleepcheck1->setChecked(record.sleepFlag == 1);
    m_fadeincheck->setChecked(record.fadeIn == 1);
    m_fadeoutcheck->setChecked(record.fadeOut == 1);
    m_txtfademin->setText(QString::number(record.fadeMinutes));
    m_txtsnoozetimer->setText(record.snoozeMinutes);
    (record.playMedia != 0 ? m_optaudvid : m_option2)->setChecked(true);
    if (record.soundIndex >= 0 && record.soundIndex < m_cmbsoundlist->count())
        m_cmbsoundlist->setCurrentIndex(record.soundIndex);
    // A hand-made file may hold more than seven day flags; the week has seven.
    for (qsizetype day = 0; day < std::min<qsizetype>(record.dayFlags.size(), 7); ++day)
        m_weekdays[day]->setChecked(leadingNumber(record.dayFlags.mid(day, 1)).value_or(0) != 0);
    m_playlist->setPlaylist(record.playlist);
    showWithMessageFocused();
}

void frmaaddalarm::showWithMessageFocused()
{
    // The message is what a user changes first; typing replaces it whole.
    m_text1->setFocus();
    m_text1->selectAll();
    show();
}

AlarmEditorValues frmaaddalarm::values() const
{
    AlarmEditorValues values;
    values.message = m_text1->toPlainText();
    values.frequency = m_combofreq->currentIndex();
    values.time = m_timepicker->time();
    values.date = m_dtpicker1->date();
    values.dayFlags = daysofwek();
    values.sleep = m_sleepcheck1->isChecked();
    values.playlist = m_playlist->paths();
    values.fadeIn = m_fadeincheck->isChecked();
    values.fadeOut = m_fadeoutcheck->isChecked();
    values.fadeText = m_txtfademin->text();
    values.snoozeText = m_txtsnoozetimer->text();
    values.playMedia = m_optaudvid->isChecked();
    values.soundIndex = m_cmbsoundlist->currentIndex();
    return values;
}

void frmaaddalarm::Command1_Click()
{
    const AlarmEditorValues accepted = values();
    // Saved, the alarm file must still load: the editor stays open for a
    // shorter message or playlist.
    const AlarmRecord record = buildAlarmRecord(accepted, m_target, m_twentyFourHour);
    if (alarmLineBytes(record, QLocale()) > m_fileRoom) {
        m_dialogs.messg(QStringLiteral("This alarm is too long to be saved: with its message and "
                                       "playlist the alarm file would be larger than %1, the "
                                       "most it may hold.\nShorten the message or take files "
                                       "off the playlist.")
                            .arg(QLocale::c().formattedDataSize(kMaxAlarmFileBytes)));
        return;
    }
    Q_EMIT alarmAccepted(accepted);
    accept();
}

void frmaaddalarm::done(int result)
{
    QDialog::done(result);
    // OK, Cancel, Escape and the title bar all end here; closing (not only
    // hiding) destroys the editor.
    close();
}
