#include "alarms/frmaaddalarm.h"

#include "alarms/alarmfile.h"
#include "alarms/playlistpanel.h"
#include "base/clock.h"
#include "base/dialogs.h"
#include "base/topmost.h"
#include "playback/soundtable.h"

#include <QCheckBox>
#include <QComboBox>
#include <QDateEdit>
#include <QFocusEvent>
#include <QGridLayout>
#include <QGroupBox>
#include <QHBoxLayout>
#include <QKeyEvent>
#include <QLabel>
#include <QLineEdit>
#include <QPlainTextEdit>
#include <QPushButton>
#include <QRadioButton>
#include <QScrollArea>
#include <QShortcut>
#include <QSlider>
#include <QSpinBox>
#include <QTabBar>
#include <QTabWidget>
#include <QTimeEdit>
#include <QVBoxLayout>

#include <utility>

namespace {

constexpr std::array<const char *, 7> kWeekdayCaptions = {"Sun", "Mon", "Tur", "Wed",
                                                          "Thu", "Fri", "Sat"};
constexpr std::array<const char *, 7> kWeekdayNames = {"Sunday",   "Monday", "Tuesday", "Wednesday",
                                                       "Thursday", "Friday", "Saturday"};
constexpr int kDefaultFadeMinutes = 30;
constexpr int kDefaultSnoozeMinutes = 15;

// A control with its designer name and the name a screen reader says.
template <typename Widget>
Widget *named(Widget *widget, const char *name, const QString &accessibleName)
{
    widget->setObjectName(QString::fromLatin1(name));
    widget->setAccessibleName(accessibleName);
    return widget;
}

// A screen reader names a list box by the label whose buddy it is: the list's
// own name is its value.
QLabel *label(const QString &text, QWidget *parent, const char *name = nullptr,
              QWidget *buddy = nullptr)
{
    auto *result = new QLabel(text, parent);
    if (name)
        result->setObjectName(QString::fromLatin1(name));
    result->setBuddy(buddy);
    return result;
}

// A button that Return does not press: Return is OK wherever the focus is.
QPushButton *button(const QString &caption, QWidget *parent, const char *name,
                    const QString &accessibleName)
{
    auto *result = named(new QPushButton(caption, parent), name, accessibleName);
    result->setAutoDefault(false);
    return result;
}

// A page that scrolls when the screen leaves the editor less room than the
// page wants, and otherwise asks for all of it (a scroll area asks for at most
// 24 lines of text).
class ScrolledPage final : public QScrollArea {
public:
    explicit ScrolledPage(QWidget *page)
    {
        setFrameShape(QFrame::NoFrame);
        // The fields take the focus; the page only keeps the focused one in view.
        setFocusPolicy(Qt::NoFocus);
        setWidgetResizable(true);
        setWidget(page);
    }
    QSize sizeHint() const override { return widget()->sizeHint(); }
};

// Typing after a click replaces what was clicked, as typing after Tab does:
// the clicked part of a time or date, or the whole of a minute box that the
// click brought the focus to.
class ClickSelects final : public QObject {
public:
    explicit ClickSelects(QAbstractSpinBox *box) : QObject(box), m_box(box)
    {
        box->installEventFilter(this);
        box->findChild<QLineEdit *>()->installEventFilter(this);
    }

protected:
    bool eventFilter(QObject *watched, QEvent *event) override
    {
        if (watched == m_box && event->type() == QEvent::FocusIn) {
            m_focusedByClick = static_cast<QFocusEvent *>(event)->reason() == Qt::MouseFocusReason;
        } else if (watched != m_box && event->type() == QEvent::MouseButtonRelease &&
                   !static_cast<QLineEdit *>(watched)->hasSelectedText()) {
            // A drag that selected text keeps what it selected.
            if (auto *picker = qobject_cast<QDateTimeEdit *>(m_box))
                picker->setSelectedSection(picker->currentSection());
            else if (std::exchange(m_focusedByClick, false))
                m_box->selectAll();
        }
        return false;
    }

private:
    QAbstractSpinBox *m_box;
    bool m_focusedByClick = false;
};

// A box of whole minutes, 1 to 59, stepped by its arrows, the Up and Down
// keys and the wheel. A number out of range is refused as it is typed, and a
// box left empty or at 0 becomes 1.
QSpinBox *minuteBox(QWidget *parent, const char *name, const QString &accessibleName)
{
    auto *box = named(new QSpinBox(parent), name, accessibleName);
    box->setRange(kMinMinutes, kMaxMinutes);
    box->setCorrectionMode(QAbstractSpinBox::CorrectToNearestValue);
    new ClickSelects(box);
    return box;
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

    m_xtab1 = named(new QTabWidget(this), "XTab1", QStringLiteral("Alarm options"));
    m_xtab1->tabBar()->setAccessibleName(QStringLiteral("Pages"));
    m_xtab1->addTab(new ScrolledPage(createGeneralTab()), QStringLiteral("General"));
    m_xtab1->addTab(new ScrolledPage(createSoundTab()), QStringLiteral("Alarm sound"));
    m_xtab1->addTab(new ScrolledPage(createEffectsTab()), QStringLiteral("V.effects && Snooze"));
    // Ctrl+Tab turns the page wherever the focus is: the time and date fields
    // would take it to step between their parts.
    const auto turnPage = [this](int by) {
        m_xtab1->setCurrentIndex((m_xtab1->currentIndex() + by + m_xtab1->count()) %
                                 m_xtab1->count());
    };
    new QShortcut(QKeySequence(Qt::CTRL | Qt::Key_Tab), this, this, [turnPage] { turnPage(1); });
    for (const QKeyCombination back :
         {Qt::CTRL | Qt::SHIFT | Qt::Key_Tab, Qt::CTRL | Qt::SHIFT | Qt::Key_Backtab})
        new QShortcut(QKeySequence(back), this, this, [turnPage] { turnPage(-1); });

    auto *ok = button(QStringLiteral("OK"), this, "Command1", QStringLiteral("OK"));
    ok->setDefault(true);
    auto *cancel = button(QStringLiteral("Cancel"), this, "Command2", QStringLiteral("Cancel"));
    auto *tryIt = button(QStringLiteral("Try"), this, "cmdtry", QStringLiteral("Try the alarm"));
    tryIt->setToolTip(QStringLiteral("Rings the alarm now as it is set here, without saving it"));
    // A preview player opened from here leaves the two in sight.
    keepInSight(*ok);
    keepInSight(*cancel);
    auto *buttons = new QHBoxLayout;
    buttons->addWidget(tryIt);
    buttons->addStretch();
    buttons->addWidget(ok);
    buttons->addWidget(cancel);
    auto *layout = new QVBoxLayout(this);
    layout->addWidget(m_xtab1);
    layout->addLayout(buttons);

    connect(ok, &QPushButton::clicked, this, &frmaaddalarm::Command1_Click);
    connect(cancel, &QPushButton::clicked, this, &QDialog::reject);
    connect(tryIt, &QPushButton::clicked, this, [this] {
        Q_EMIT tryRequested(buildAlarmRecord(values(), m_target, m_twentyFourHour));
    });
    connect(m_playlist, &PlaylistPanel::playRequested, this, &frmaaddalarm::filePlayRequested);
    m_text1->installEventFilter(this);

    m_combofreq->setCurrentIndex(AlarmFrequency::Weekly);
    combofreq_Click(AlarmFrequency::Weekly);
    m_cmbsoundlist->setCurrentIndex(0);
}

frmaaddalarm::~frmaaddalarm() = default;

QWidget *frmaaddalarm::createGeneralTab()
{
    auto *tab = new QWidget;
    m_text1 = named(new QPlainTextEdit(QStringLiteral("Alarm message..."), tab), "Text1",
                    QStringLiteral("Alarm text"));
    m_text1->setTabChangesFocus(true);
    m_combofreq = named(new QComboBox(tab), "combofreq", QStringLiteral("Frequency"));
    m_combofreq->addItems(alarmFrequencyNames());

    m_frame1 = new QGroupBox(tab);
    m_frame1->setObjectName(QStringLiteral("Frame1"));
    m_timepicker = named(new QTimeEdit(m_frame1), "timepicker", QStringLiteral("Time"));
    m_dtpicker1 = named(new QDateEdit(m_frame1), "DTPicker1", QStringLiteral("Date"));
    m_dtpicker1->setCalendarPopup(true);
    new ClickSelects(m_timepicker);
    new ClickSelects(m_dtpicker1);
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
        m_weekdays[day]->setAccessibleName(QString::fromLatin1(kWeekdayNames[day]));
        m_weekdays[day]->setChecked(day >= 1 && day <= 5);
        days->addWidget(m_weekdays[day]);
    }
    frameLayout->addLayout(days, 2, 0, 1, 4);
    auto *gct = button(QStringLiteral("Get Current Time"), m_frame1, "gct",
                       QStringLiteral("Get Current Time"));
    frameLayout->addWidget(gct, 3, 3);

    const QString sleep = QStringLiteral("Sleep (will turn off computer)");
    m_sleepcheck1 = named(new QCheckBox(sleep, tab), "sleepcheck1", sleep);

    auto *layout = new QGridLayout(tab);
    layout->addWidget(label(QStringLiteral("Alarm text:"), tab, "Label1"), 0, 0, Qt::AlignTop);
    layout->addWidget(m_text1, 0, 1);
    layout->addWidget(label(QStringLiteral("Frequency:"), tab, "Label3", m_combofreq), 1, 0);
    layout->addWidget(m_combofreq, 1, 1);
    layout->addWidget(m_frame1, 2, 0, 1, 2);
    layout->addWidget(m_sleepcheck1, 3, 0, 1, 2);

    connect(m_combofreq, &QComboBox::activated, this, &frmaaddalarm::combofreq_Click);
    connect(gct, &QPushButton::clicked, this, &frmaaddalarm::gct_Click);
    return tab;
}

QWidget *frmaaddalarm::createSoundTab()
{
    auto *tab = new QWidget;
    m_cmbsoundlist = named(new QComboBox(tab), "cmbsoundlist", QStringLiteral("Sound"));
    for (const SoundTable::Entry &entry : SoundTable::Entries)
        m_cmbsoundlist->addItem(QString::fromLatin1(entry.name));
    auto *play = button(QStringLiteral("Play"), tab, "Command8", QStringLiteral("Play the sound"));
    const QString playSound = QStringLiteral("Play sound");
    m_option2 = named(new QRadioButton(playSound, tab), "Option2", playSound);
    m_optaudvid = named(new QRadioButton(QStringLiteral("Play audio && video"), tab), "optaudvid",
                        QStringLiteral("Play audio & video"));
    m_optaudvid->setChecked(true);
    m_playlist = new PlaylistPanel(m_dialogs, tab);
    m_volume = named(new QSlider(Qt::Horizontal, tab), "sldvolume", QStringLiteral("Volume"));
    m_volume->setRange(0, 100);
    m_volume->setPageStep(10);
    m_volume->setValue(100);
    auto *percent = label(QStringLiteral("100 %"), tab, "lblvolume");
    // Room for the widest figure, so the slider keeps its length as it moves.
    percent->setMinimumWidth(percent->sizeHint().width());

    auto *layout = new QGridLayout(tab);
    layout->addWidget(label(QStringLiteral("Sound:"), tab, "Label7", m_cmbsoundlist), 0, 0);
    layout->addWidget(m_cmbsoundlist, 0, 1);
    layout->addWidget(play, 0, 2);
    layout->addWidget(m_option2, 1, 0, 1, 2);
    layout->addWidget(m_optaudvid, 2, 0, 1, 2);
    layout->addWidget(m_playlist, 3, 0, 1, 3);
    layout->addWidget(label(QStringLiteral("Volume:"), tab, "volumelabel", m_volume), 4, 0);
    layout->addWidget(m_volume, 4, 1);
    layout->addWidget(percent, 4, 2);

    connect(m_volume, &QSlider::valueChanged, percent,
            [percent](int value) { percent->setText(QStringLiteral("%1 %").arg(value)); });
    // Whoever picks or tries a sound means that sound to ring.
    connect(m_cmbsoundlist, &QComboBox::activated, m_option2,
            [this] { m_option2->setChecked(true); });
    connect(play, &QPushButton::clicked, this, [this] {
        m_option2->setChecked(true);
        if (const int sound = m_cmbsoundlist->currentIndex(); sound >= 0)
            Q_EMIT soundPlayRequested(sound);
    });
    return tab;
}

QWidget *frmaaddalarm::createEffectsTab()
{
    auto *tab = new QWidget;
    const QString fadeIn = QStringLiteral("Enable fade in effect");
    const QString fadeOut = QStringLiteral("Enable fade out effect after playing");
    m_fadeincheck = named(new QCheckBox(fadeIn, tab), "fadeincheck", fadeIn);
    m_fadeoutcheck = named(new QCheckBox(fadeOut, tab), "fadeoutcheck", fadeOut);
    m_txtfademin = minuteBox(tab, "txtfademin", QStringLiteral("Fade out after, in minutes"));
    m_txtsnoozetimer = minuteBox(tab, "txtsnoozetimer", QStringLiteral("Snooze time, in minutes"));

    auto *layout = new QGridLayout(tab);
    layout->addWidget(m_fadeincheck, 0, 0, 1, 3);
    layout->addWidget(m_fadeoutcheck, 1, 0, 1, 3);
    layout->addWidget(label(QStringLiteral("Fade out after:"), tab, "fadelabel"), 2, 0);
    layout->addWidget(m_txtfademin, 2, 1);
    layout->addWidget(label(QStringLiteral("minutes"), tab), 2, 2);
    layout->addWidget(label(QStringLiteral("Snooze time:"), tab, "Label4"), 3, 0);
    layout->addWidget(m_txtsnoozetimer, 3, 1);
    layout->addWidget(label(QStringLiteral("minutes"), tab), 3, 2);
    layout->setRowStretch(4, 1);
    layout->setColumnStretch(3, 1);
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
    m_txtfademin->setValue(kDefaultFadeMinutes);
    m_txtsnoozetimer->setValue(kDefaultSnoozeMinutes);
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
    m_txtfademin->setValue(record.fadeMinutes);
    m_txtsnoozetimer->setValue(minuteValue(record.snoozeMinutes));
    (record.playMedia != 0 ? m_optaudvid : m_option2)->setChecked(true);
    if (record.soundIndex >= 0 && record.soundIndex < m_cmbsoundlist->count())
        m_cmbsoundlist->setCurrentIndex(record.soundIndex);
    // A hand-made file may hold more than seven day flags; the week has seven.
    for (qsizetype day = 0; day < std::min<qsizetype>(record.dayFlags.size(), 7); ++day)
        m_weekdays[day]->setChecked(leadingNumber(record.dayFlags.mid(day, 1)).value_or(0) != 0);
    m_playlist->setPlaylist(record.playlist);
    m_volume->setValue(alarmVolumePercent(record));
    showWithMessageFocused();
}

void frmaaddalarm::showWithMessageFocused()
{
    // The message is what a user changes first; typing replaces it whole.
    m_text1->setFocus();
    m_text1->selectAll();
    resize(sizeHint().boundedTo(roomOnScreen(*this)));
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
    values.fadeMinutes = m_txtfademin->value();
    values.snoozeMinutes = m_txtsnoozetimer->value();
    values.playMedia = m_optaudvid->isChecked();
    values.soundIndex = m_cmbsoundlist->currentIndex();
    values.volumePercent = m_volume->value();
    return values;
}

void frmaaddalarm::Command1_Click()
{
    const AlarmEditorValues accepted = values();
    // The editor stays open on an alarm that would never ring, for the user
    // to mend or cancel.
    if (const Result ringing = alarmCanRing(accepted, m_clock.now()); !ringing.ok()) {
        m_xtab1->setCurrentIndex(0);
        m_dialogs.messg(ringing.error());
        return;
    }
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

bool frmaaddalarm::eventFilter(QObject *watched, QEvent *event)
{
    if (watched == m_text1 && event->type() == QEvent::KeyPress) {
        const int key = static_cast<QKeyEvent *>(event)->key();
        if (key == Qt::Key_Return || key == Qt::Key_Enter) {
            Command1_Click();
            return true;
        }
    }
    return QDialog::eventFilter(watched, event);
}

void frmaaddalarm::done(int result)
{
    QDialog::done(result);
    // OK, Cancel, Escape and the title bar all end here; closing (not only
    // hiding) destroys the editor.
    close();
}
