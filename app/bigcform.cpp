#include "app/bigcform.h"

#include "app/clocktext.h"
#include "app/dragsnap.h"
#include "base/clock.h"
#include "base/logging.h"
#include "base/twips.h"
#include "display/ledclock.h"
#include "settings/conffile.h"

#include <QAccessible>
#include <QAccessibleWidget>
#include <QCloseEvent>
#include <QCursor>
#include <QGuiApplication>
#include <QKeyEvent>
#include <QLabel>
#include <QMouseEvent>
#include <QPainter>
#include <QPixmap>
#include <QScreen>
#include <QWindow>

// The hand-drawn icons, compiled in: read from files they would go through
// the image reader, which loads every image plugin there is to ask each
// whether it reads XPM, and keeps them all loaded.
#include "assets/tockaro-16.xpm"
#include "assets/tockaro-32.xpm"

namespace {

const QColor kRed = QColor::fromRgb(255, 0, 0);
const QColor kDarkRed = QColor::fromRgb(128, 0, 0);

QRect pixelRect(const QRectF &twips)
{
    return twipsToPixels(twips).toRect();
}

// The clock window reads out the time and the date it shows. Its text is made
// when a screen reader asks; the reader is told of a change once a minute.
class ClockWindowAccessible final : public QAccessibleWidget {
public:
    explicit ClockWindowAccessible(BigCForm *form) : QAccessibleWidget(form, QAccessible::Window) {}

    QString text(QAccessible::Text t) const override
    {
        if (t == QAccessible::Name)
            return static_cast<const BigCForm *>(widget())->timeAndDateShown();
        return QAccessibleWidget::text(t);
    }
};

QAccessibleInterface *clockWindowAccessible(const QString &className, QObject *object)
{
    if (className == QLatin1String("BigCForm"))
        return new ClockWindowAccessible(static_cast<BigCForm *>(object));
    return nullptr;
}

// A one-pixel outline drawn inside the shape's rectangle.
void drawOutline(QPainter &painter, const QRectF &twips, const QPen &pen)
{
    painter.setPen(pen);
    painter.drawRect(pixelRect(twips).adjusted(0, 0, -1, -1));
}

} // namespace

BigCForm::BigCForm(const Clock &clock, const Settings &settings, QWidget *parent)
    : QWidget(parent, Qt::Tool | Qt::FramelessWindowHint | Qt::WindowStaysOnTopHint),
      m_clock(clock), m_settings(settings)
{
    // Before anything asks for the window's accessible interface, which is
    // then kept for the window's life.
    static const bool accessibleFactoryInstalled = [] {
        QAccessible::installFactory(clockWindowAccessible);
        return true;
    }();
    Q_UNUSED(accessibleFactoryInstalled);
    setWindowTitle(QStringLiteral("Tockaro"));
    QIcon icon;
    icon.addPixmap(QPixmap(tockaro_16));
    icon.addPixmap(QPixmap(tockaro_32));
    setWindowIcon(icon);

    m_display = new LedClock(this);
    m_display->setObjectName(QStringLiteral("LedClock"));
    m_theDate = new QLabel(QStringLiteral("The date will show here."), this);
    m_theDate->setObjectName(QStringLiteral("TheDate"));
    m_theDate->setToolTip(QStringLiteral("Right click for Options"));
    // Red on the window's black, through the palette: a style sheet would
    // bring Qt's whole style sheet machinery into the idle clock.
    QPalette red = m_theDate->palette();
    red.setColor(QPalette::WindowText, kRed);
    m_theDate->setPalette(red);
    m_theDate->installEventFilter(this);

    connect(m_display, &LedClock::MouseDown, this,
            [this](int button, int, double x, double y) { pointerDown(button, x, y); });
    connect(m_display, &LedClock::MouseMove, this,
            [this](int, int, double x, double y) { pointerMove(x, y); });
    connect(m_display, &LedClock::MouseUp, this,
            [this](int button, int, double, double) { pointerUp(button); });

    // Reached from the keyboard (the menu key or Shift+F10 opens the menu) and
    // read out by assistive tools.
    setFocusPolicy(Qt::StrongFocus);
    setAccessibleDescription(
        QStringLiteral("Tockaro alarm clock. The menu key or Shift+F10 opens its menu."));
    connect(m_display, &LedClock::minuteShown, this, [this] {
        QAccessibleEvent changed(this, QAccessible::NameChanged);
        QAccessible::updateAccessibility(&changed);
    });

    Sizing(sizePercent(m_settings.sizeIndex));
}

BigCForm::~BigCForm() = default;

void BigCForm::load()
{
    // The first text is always in the 12-hour form; the first tick, within
    // a second, puts it in the chosen one.
    const QDateTime now = m_clock.now();
    m_display->TimeIN(clockTimeText(now.time(), false, QLocale()));
    Sizing(sizePercent(m_settings.sizeIndex));
    const QRect screen = this->screen()->geometry();
    move(screen.left() + screen.width() / 2 - width() / 2, screen.top());
    refreshDateLine(now.date());
}

bool BigCForm::placeAt(const QPoint &topLeft)
{
    const QRect there(topLeft, size());
    for (const QScreen *screen : QGuiApplication::screens()) {
        if (screen->geometry().contains(there)) {
            move(topLeft);
            return true;
        }
    }
    return false;
}

QString BigCForm::timeTextAt(const QDateTime &now) const
{
    return clockTimeText(now.time(), m_settings.twentyFourHour, QLocale());
}

void BigCForm::showTime(const QDateTime &now)
{
    m_display->TimeIN(timeTextAt(now));
    refreshDateLine(now.date());
    m_theDate->setVisible(dateLineShown(sizePercent(m_settings.sizeIndex)));
}

void BigCForm::applySettings()
{
    Sizing(sizePercent(m_settings.sizeIndex));
    // The new time format shows at once rather than at the next tick.
    m_display->TimeIN(timeTextAt(m_clock.now()));
}

QString BigCForm::timeAndDateShown() const
{
    const QString time = m_display->timeShown();
    if (!m_theDate->isVisibleTo(this))
        return time;
    return time + QStringLiteral(", ") + m_theDate->text().simplified();
}

void BigCForm::keyPressEvent(QKeyEvent *event)
{
    if (event->key() == Qt::Key_Menu ||
        (event->key() == Qt::Key_F10 && event->modifiers() == Qt::ShiftModifier)) {
        Q_EMIT menuRequested(mapToGlobal(m_display->geometry().center()), true);
        return;
    }
    QWidget::keyPressEvent(event);
}

void BigCForm::contextMenuEvent(QContextMenuEvent *event)
{
    // A right click opens the menu through the display's mouse events.
    if (event->reason() == QContextMenuEvent::Keyboard)
        Q_EMIT menuRequested(mapToGlobal(m_display->geometry().center()), true);
}

void BigCForm::Sizing(int percent)
{
    m_layout = clockWindowLayout(percent);
    m_display->adjustsize(percent);
    m_display->move(pixelRect(m_layout.display).topLeft());
    QFont font(QStringLiteral("Verdana"));
    font.setBold(true);
    font.setPointSize(m_layout.dateFontPoints);
    m_theDate->setFont(font);
    m_theDate->setGeometry(pixelRect(m_layout.dateLine));
    setFixedSize(qRound(twipsToPixels(m_layout.windowWidth)),
                 qRound(twipsToPixels(m_layout.windowHeight)));
    update();
    Q_EMIT digitsMoved();
}

// The date line is refreshed by the clock tick rather than by a timer of its
// own: one wake-up and one clock read serve both, and the date still changes
// right after midnight. Its text is made only when the day changes.
void BigCForm::refreshDateLine(QDate today)
{
    if (today == m_dateLineDay)
        return;
    m_theDate->setText(dateLineText(today, QLocale()));
    m_dateLineDay = today;
}

void BigCForm::pointerDown(int button, double x, double y)
{
    if (button == 1) {
        if (moveByCompositor())
            return;
        setCursor(Qt::SizeAllCursor);
        m_dragging = true;
        m_grab = QPoint(qRound(x), qRound(y));
        m_dragStart = pos();
    } else if (button == 2) {
        Q_EMIT menuRequested(QCursor::pos(), false);
    }
}

void BigCForm::pointerMove(double x, double y)
{
    if (!m_dragging)
        return;
    const QRect screen = this->screen()->geometry();
    DragInput in;
    in.windowTopLeft = ((pos() - screen.topLeft()) * kTwipsPerPixel);
    in.windowSize = QSize(qRound(m_layout.windowWidth), qRound(m_layout.windowHeight));
    in.screenSize = screen.size() * kTwipsPerPixel;
    in.pointer = QPoint(qRound(x), qRound(y));
    in.grab = m_grab;
    const QPoint to = draggedWindowPosition(in);
    move(screen.topLeft() + QPoint(qRound(twipsToPixels(to.x())), qRound(twipsToPixels(to.y()))));
}

void BigCForm::pointerUp(int button)
{
    if (button != 1 || !m_dragging)
        return;
    m_dragging = false;
    unsetCursor();
    if (pos() != m_dragStart)
        Q_EMIT dragged(pos());
}

// A Wayland compositor ignores a window that moves itself: it moves the window
// when asked at a button press, following the pointer until the button comes
// up, and the window hears nothing of the drag.
bool BigCForm::moveByCompositor()
{
    if (!QGuiApplication::platformName().startsWith(QLatin1String("wayland")))
        return false;
    QWindow *window = windowHandle();
    const bool started = window && window->startSystemMove();
    qCInfo(lcClock) << "drag by the compositor:" << (started ? "started" : "refused");
    return started;
}

bool BigCForm::eventFilter(QObject *watched, QEvent *event)
{
    // The date line drags the window like the digits do, but opens no menu.
    if (watched == m_theDate) {
        switch (event->type()) {
        case QEvent::MouseButtonPress:
        case QEvent::MouseButtonDblClick:
        case QEvent::MouseMove:
        case QEvent::MouseButtonRelease: {
            auto *mouse = static_cast<QMouseEvent *>(event);
            const QPointF at = pixelsToTwips(mouse->position());
            if (mouse->button() == Qt::LeftButton && event->type() == QEvent::MouseButtonPress)
                pointerDown(1, at.x(), at.y());
            else if (event->type() == QEvent::MouseMove && (mouse->buttons() & Qt::LeftButton))
                pointerMove(at.x(), at.y());
            else if (mouse->button() == Qt::LeftButton &&
                     event->type() == QEvent::MouseButtonRelease)
                pointerUp(1);
            return true;
        }
        default:
            break;
        }
    }
    return QWidget::eventFilter(watched, event);
}

bool BigCForm::event(QEvent *event)
{
    // A window made anew (a change of its flags) has another native window.
    if (event->type() == QEvent::WinIdChange)
        Q_EMIT digitsMoved();
    return QWidget::event(event);
}

void BigCForm::showEvent(QShowEvent *event)
{
    QWidget::showEvent(event);
    m_display->TimeIN(timeTextAt(m_clock.now()));
    Q_EMIT shown();
}

void BigCForm::hideEvent(QHideEvent *event)
{
    QWidget::hideEvent(event);
    Q_EMIT hidden();
}

void BigCForm::closeEvent(QCloseEvent *event)
{
    event->accept();
    // The clock window is the program: closing it ends the program rather than
    // leaving it running with nothing on screen.
    Q_EMIT closed();
}

void BigCForm::paintEvent(QPaintEvent *)
{
    QPainter painter(this);
    painter.fillRect(rect(), Qt::black);
    drawOutline(painter, m_layout.outerOutline, QPen(kDarkRed, 1, Qt::DashLine));
    drawOutline(painter, m_layout.outline, QPen(kRed, 1));
}
