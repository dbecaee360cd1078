#include "playback/alarmwind.h"

#include "base/topmost.h"
#include "base/twips.h"

#include <QAccessible>
#include <QAccessibleWidget>
#include <QCloseEvent>
#include <QKeyEvent>
#include <QLabel>
#include <QPlainTextEdit>
#include <QPushButton>
#include <QShortcut>

namespace {

// The design, in twips: the window, the time and date, "Remember:", the
// message and the two buttons.
constexpr QRectF kWindow(0, 0, 7245, 5700);
constexpr QRectF kTime(1920, 360, 3255, 1095);
constexpr QRectF kLabel(0, 1560, 1095, 255);
constexpr QRectF kMessage(0, 1800, 7215, 3255);
constexpr QRectF kSnooze(4080, 5280, 1335, 375);
constexpr QRectF kOk(5760, 5280, 1335, 375);
// A line on how the alarm rang, beside the buttons.
constexpr QRectF kNote(60, 5100, 3960, 600);
// What the message box keeps on a small screen: three lines or so, and the
// width of both buttons with their gaps.
constexpr QSizeF kLeastMessage(5175, 735);

QRect pixels(const QRectF &twips)
{
    return twipsToPixels(twips).toRect();
}

template <typename Control> Control *named(Control *control, const char *name)
{
    control->setObjectName(QLatin1String(name));
    return control;
}

// Snooze's own key: its caption stays the word alone, so it has no mnemonic.
const QKeySequence kSnoozeKey(Qt::ALT | Qt::Key_S);

// A screen reader announces the window as an alert, not as one more window.
QAccessibleInterface *alarmWindowAccessible(const QString &className, QObject *object)
{
    if (className == QLatin1String("alarmwind"))
        return new QAccessibleWidget(static_cast<QWidget *>(object), QAccessible::AlertMessage);
    return nullptr;
}

} // namespace

// Topmost from the start: setting the flag on a shown window makes Qt create
// the window anew.
alarmwind::alarmwind(QWidget *parent)
    : QWidget(parent, Qt::Tool | Qt::CustomizeWindowHint | Qt::WindowTitleHint |
                          Qt::WindowCloseButtonHint | Qt::WindowStaysOnTopHint |
                          Qt::MSWindowsFixedSizeDialogHint)
{
    // Before anything asks for the window's accessible interface, which is
    // then kept for the window's life.
    static const bool accessibleFactoryInstalled = [] {
        QAccessible::installFactory(alarmWindowAccessible);
        return true;
    }();
    Q_UNUSED(accessibleFactoryInstalled);
    setObjectName(QStringLiteral("alarmwind"));
    setWindowTitle(QStringLiteral("Alarm"));

    m_lbltime = named(new QLabel(this), "lbltime");
    QFont big = m_lbltime->font();
    big.setPointSize(24);
    m_lbltime->setFont(big);
    auto *label1 = named(new QLabel(QStringLiteral("Remember:"), this), "Label1");
    label1->setGeometry(pixels(kLabel));
    m_tmess = named(new QPlainTextEdit(this), "tmess");
    m_tmess->setReadOnly(true);
    m_tmess->setAccessibleName(QStringLiteral("Alarm message"));
    // Someone woken by the alarm reaches for a key: the keys answer the alarm
    // (Return and Space OK, Escape closes, Alt+S snoozes) and nothing else
    // takes them. The message is read with the window and selected by mouse.
    m_tmess->setFocusPolicy(Qt::NoFocus);
    m_tmess->setTextInteractionFlags(Qt::TextSelectableByMouse);
    label1->setBuddy(m_tmess);
    m_note = named(new QLabel(this), "lblnote");
    m_note->setWordWrap(true);
    m_snooze = named(new QPushButton(QStringLiteral("Snooze"), this), "Command1");
    m_snooze->setFocusPolicy(Qt::NoFocus);
    m_snooze->setToolTip(kSnoozeKey.toString(QKeySequence::NativeText));
    new QShortcut(kSnoozeKey, this, m_snooze, &QPushButton::click);
    m_ok = named(new QPushButton(QStringLiteral("OK"), this), "Command2");
    m_ok->setDefault(true);
    // A video's player leaves the message and the answers in sight.
    for (QWidget *part : std::initializer_list<QWidget *>{m_tmess, m_snooze, m_ok})
        keepInSight(*part);
    connect(m_snooze, &QPushButton::clicked, this, &alarmwind::snoozeClicked);
    connect(m_ok, &QPushButton::clicked, this, &alarmwind::okClicked);
    fitTo(pixels(kWindow).size());
}

alarmwind::~alarmwind() = default;

void alarmwind::showAlarm(const QString &timeText, const QString &dateText, const QString &message)
{
    m_lbltime->setText(QStringLiteral("  ") + timeText + u'\n' + dateText);
    m_tmess->setPlainText(message);
    // A screen reader reads the name and the description as the alert comes up.
    setAccessibleName(windowTitle() + QStringLiteral(", ") + timeText);
    setAccessibleDescription(
        QStringLiteral("%1 %2: %3. Return: OK; %4: Snooze; Escape: close.")
            .arg(timeText, dateText, message, kSnoozeKey.toString(QKeySequence::NativeText)));

    fitTo(roomOnScreen(*this));
    m_ok->setFocus();
    showInFront(*this, m_placed);
    QAccessibleEvent alert(this, QAccessible::Alert);
    QAccessible::updateAccessibility(&alert);
}

void alarmwind::setNote(const QString &note)
{
    m_note->setText(note);
}

// Lays the window out for the room the screen leaves it: the message box gives
// up what is lacking, down to a few lines, and the buttons stay at its
// bottom right, so they are always on screen and the message scrolls instead.
void alarmwind::fitTo(const QSize &room)
{
    const QRect design = pixels(kWindow);
    const QSize least = twipsToPixels(QRectF(QPointF(), kLeastMessage)).toRect().size();
    const QRect message = pixels(kMessage);
    const int narrower = qBound(0, design.width() - room.width(), message.width() - least.width());
    const int shorter =
        qBound(0, design.height() - room.height(), message.height() - least.height());

    m_tmess->setGeometry(message.adjusted(0, 0, -narrower, -shorter));
    m_snooze->setGeometry(pixels(kSnooze).translated(-narrower, -shorter));
    m_ok->setGeometry(pixels(kOk).translated(-narrower, -shorter));
    m_note->setGeometry(pixels(kNote).adjusted(0, 0, -narrower, 0).translated(0, -shorter));
    // The time line is as wide as its text needs, so "AM" is not cut off.
    QRect time = pixels(kTime).translated(-qMin(narrower, pixels(kTime).left()), 0);
    time.setSize(time.size().expandedTo(m_lbltime->sizeHint()));
    time.setRight(qMin(time.right(), design.width() - narrower - 1));
    m_lbltime->setGeometry(time);
    setFixedSize(design.size() - QSize(narrower, shorter));
}

void alarmwind::keyPressEvent(QKeyEvent *event)
{
    if (event->modifiers() & ~Qt::KeyboardModifiers(Qt::KeypadModifier)) {
        QWidget::keyPressEvent(event);
        return;
    }
    switch (event->key()) {
    case Qt::Key_Return:
    case Qt::Key_Enter:
        m_ok->click();
        break;
    case Qt::Key_Escape:
        close();
        break;
    default:
        QWidget::keyPressEvent(event);
    }
}

void alarmwind::closeEvent(QCloseEvent *event)
{
    event->accept();
    Q_EMIT closed();
}
