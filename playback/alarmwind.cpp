#include "playback/alarmwind.h"

#include "base/topmost.h"
#include "base/twips.h"

#include <QCloseEvent>
#include <QLabel>
#include <QPlainTextEdit>
#include <QPushButton>

namespace {

template <typename Control>
Control *place(Control *control, const char *name, double left, double top, double width,
               double height)
{
    control->setObjectName(QLatin1String(name));
    control->setGeometry(twipsToPixels(QRectF(left, top, width, height)).toRect());
    return control;
}

} // namespace

// Topmost from the start: setting the flag on a shown window makes Qt create
// the window anew.
alarmwind::alarmwind(QWidget *parent)
    : QWidget(parent, Qt::Tool | Qt::CustomizeWindowHint | Qt::WindowTitleHint |
                          Qt::WindowCloseButtonHint | Qt::WindowStaysOnTopHint |
                          Qt::MSWindowsFixedSizeDialogHint)
{
    setObjectName(QStringLiteral("alarmwind"));
    setWindowTitle(QStringLiteral("Alarm"));
    setFixedSize(twipsToPixels(QRectF(0, 0, 7245, 5700)).toRect().size());

    m_lbltime = place(new QLabel(this), "lbltime", 1920, 360, 3255, 1095);
    QFont big = m_lbltime->font();
    big.setPointSize(24);
    m_lbltime->setFont(big);
    place(new QLabel(QStringLiteral("Remember:"), this), "Label1", 0, 1560, 1095, 255);
    m_tmess = place(new QPlainTextEdit(this), "tmess", 0, 1800, 7215, 3255);
    m_tmess->setReadOnly(true);
    m_note = place(new QLabel(this), "lblnote", 60, 5100, 3960, 600);
    m_note->setWordWrap(true);
    auto *snooze =
        place(new QPushButton(QStringLiteral("Snooze"), this), "Command1", 4080, 5280, 1335, 375);
    auto *ok =
        place(new QPushButton(QStringLiteral("OK"), this), "Command2", 5760, 5280, 1335, 375);
    ok->setDefault(true);
    // A video's player leaves the message and the answers in sight.
    for (QWidget *part : std::initializer_list<QWidget *>{m_tmess, snooze, ok})
        keepInSight(*part);
    connect(snooze, &QPushButton::clicked, this, &alarmwind::snoozeClicked);
    connect(ok, &QPushButton::clicked, this, &alarmwind::okClicked);
}

alarmwind::~alarmwind() = default;

void alarmwind::showAlarm(const QString &timeText, const QString &dateText, const QString &message)
{
    m_lbltime->setText(QStringLiteral("  ") + timeText + u'\n' + dateText);
    m_tmess->setPlainText(message);
    showInFront(*this, m_placed);
}

void alarmwind::setNote(const QString &note)
{
    m_note->setText(note);
}

void alarmwind::closeEvent(QCloseEvent *event)
{
    event->accept();
    Q_EMIT closed();
}
