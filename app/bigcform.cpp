#include "app/bigcform.h"

#include "alarms/alarmfile.h"
#include "alarms/frmalarms.h"
#include "app/clockbas.h"
#include "app/clocktext.h"
#include "app/dragsnap.h"
#include "app/traymessage.h"
#include "base/clock.h"
#include "base/instanceguard.h"
#include "base/logging.h"
#include "base/ticksource.h"
#include "base/topmost.h"
#include "base/twips.h"
#include "display/ledclock.h"
#include "playback/frmdshow.h"
#include "settings/conffile.h"
#include "settings/frmoptions.h"

#include <QAccessible>
#include <QAccessibleWidget>
#include <QAction>
#include <QCloseEvent>
#include <QCoreApplication>
#include <QCursor>
#include <QDir>
#include <QFileInfo>
#include <QKeyEvent>
#include <QLabel>
#include <QMenu>
#include <QMouseEvent>
#include <QPainter>
#include <QPixmap>
#include <QScreen>
#include <QTimeZone>

// The hand-drawn icons, compiled in: read from files they would go through
// the image reader, which loads every image plugin there is to ask each
// whether it reads XPM, and keeps them all loaded.
#include "assets/tockaro-16.xpm"
#include "assets/tockaro-32.xpm"

namespace {

const QColor kRed = QColor::fromRgb(255, 0, 0);
const QColor kDarkRed = QColor::fromRgb(128, 0, 0);

int trayMessageFor(QSystemTrayIcon::ActivationReason reason)
{
    switch (reason) {
    case QSystemTrayIcon::Trigger:
        return TrayMessage::LeftButtonDown;
    case QSystemTrayIcon::DoubleClick:
        return TrayMessage::LeftButtonDoubleClick;
    case QSystemTrayIcon::Context:
        return TrayMessage::RightButtonUp;
    case QSystemTrayIcon::MiddleClick:
        return TrayMessage::MiddleButtonUp;
    case QSystemTrayIcon::Unknown:
        break;
    }
    return TrayMessage::MouseMove;
}

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

BigCForm::BigCForm(ClockBas &bas, QWidget *parent)
    : QWidget(parent, Qt::Tool | Qt::FramelessWindowHint | Qt::WindowStaysOnTopHint), m_bas(bas),
      m_alarm(bas)
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

    buildMenu();

    // Reached from the keyboard (the menu key or Shift+F10 opens the menu) and
    // read out by assistive tools.
    setFocusPolicy(Qt::StrongFocus);
    setAccessibleDescription(
        QStringLiteral("Tockaro alarm clock. The menu key or Shift+F10 opens its menu."));
    connect(m_display, &LedClock::minuteShown, this, [this] {
        QAccessibleEvent changed(this, QAccessible::NameChanged);
        QAccessible::updateAccessibility(&changed);
    });

    connect(&m_bas.ticks(), &TickSource::tick, this, &BigCForm::Timer1_Timer);
    // From the event loop: a message box must not open inside the tick.
    connect(&m_alarm, &AlarmInProgress::notice, this, &BigCForm::showNotice, Qt::QueuedConnection);

    Sizing(state.adjustsize);
}

BigCForm::~BigCForm()
{
    // The painter outlives the window it draws into.
    if (m_digitsPainted)
        m_bas.digitPainter()->setDrawing(false);
}

void BigCForm::buildMenu()
{
    const auto action = [this](const QString &caption, const char *name) {
        auto *made = new QAction(caption, this);
        made->setObjectName(QLatin1String(name));
        return made;
    };
    m_hideshow = action(QStringLiteral("Show Time"), "hideshow");
    connect(m_hideshow, &QAction::triggered, this, &BigCForm::hideshowClick);
    QAction *alarms = action(QStringLiteral("Alarms"), "Alarmsform");
    connect(alarms, &QAction::triggered, this, &BigCForm::alarmsformClick);
    QAction *options = action(QStringLiteral("Options"), "mopts");
    connect(options, &QAction::triggered, this, [this] { m_bas.options().showOptions(); });
    QAction *about = action(QStringLiteral("About"), "About");
    connect(about, &QAction::triggered, this, &BigCForm::aboutClick);
    QAction *exit = action(QStringLiteral("Exit..."), "Exit");
    connect(exit, &QAction::triggered, this, &BigCForm::exitClick);
    m_menuActions = {m_hideshow, alarms, options, about, exit};
}

QMenu *BigCForm::mPopupSys()
{
    // Made when first wanted: where the tray passes clicks on, an idle clock
    // need not carry a menu that nobody has opened.
    if (!m_popup) {
        m_popup = new QMenu(this);
        m_popup->setObjectName(QStringLiteral("mPopupSys"));
        m_popup->setAccessibleName(QStringLiteral("Tockaro"));
        m_popup->addAction(m_menuActions[0]);
        m_popup->addSeparator()->setObjectName(QStringLiteral("Bar0"));
        m_popup->addActions(m_menuActions.mid(1, 3));
        m_popup->addSeparator()->setObjectName(QStringLiteral("Bar2"));
        m_popup->addAction(m_menuActions[4]);
    }
    return m_popup;
}

bool BigCForm::load()
{
    if (!m_bas.instanceGuard().tryAcquire()) {
        m_bas.messg(QStringLiteral("Another copy of Tockaro Program is running"));
        m_bas.endProgram();
        return false;
    }
    addTrayIcon();

    // The first text is always in the 12-hour form; the first tick, within
    // a second, puts it in the chosen one.
    const QDateTime now = m_bas.clock().now();
    m_display->TimeIN(clockTimeText(now.time(), false, QLocale()));
    m_bas.ticks().start();

    Sizing(state.adjustsize);
    QCoreApplication::processEvents();

    const QRect screen = this->screen()->geometry();
    move(screen.left() + screen.width() / 2 - width() / 2, screen.top());
    refreshDateLine(now.date());

    // Without a notification area the clock is the only way into the program,
    // so it shows whatever the settings say and cannot be hidden.
    if (!m_tray) {
        m_shownForLackOfTray = !state.isshowing;
        state.isshowing = true;
        m_hideshow->setEnabled(false);
    }
    if (state.isshowing) {
        setHideshowCaption(QStringLiteral("Hide Time"));
        Showled(*this, true);
    } else {
        setHideshowCaption(QStringLiteral("Show Time"));
        hide();
    }

    // The alarm list window is made, with its columns and rows, when it is
    // first opened: an idle clock need not carry it.
    const AlarmFileReport alarmReport = m_bas.loadalarms();
    if (const QString text = alarmLoadMessage(alarmReport); !text.isEmpty())
        m_bas.messg(text);
    // Told once the alarms ring: a lock that is not the user's stops nothing.
    if (const QString warning = m_bas.instanceGuard().warning(); !warning.isEmpty())
        m_bas.messg(warning);
    m_bas.editorOpen = false;
    return true;
}

void BigCForm::addTrayIcon()
{
    if (m_bas.trayAvailable())
        showTrayIcon();
}

void BigCForm::showTrayIcon()
{
    if (!m_tray) {
        m_tray = new QSystemTrayIcon(windowIcon(), this);
        m_tray->setToolTip(QStringLiteral("Right Click For Popup"));
        // A status-notifier host never passes a right click on: it shows the
        // menu the icon exports. An XEmbed tray passes it, and the menu opens
        // at the pointer as on the clock.
        if (m_bas.statusNotifierTray())
            m_tray->setContextMenu(mPopupSys());
        connect(m_tray, &QSystemTrayIcon::activated, this,
                [this](QSystemTrayIcon::ActivationReason reason) {
                    trayMessage(trayMessageFor(reason));
                });
    }
    m_tray->show();
    qCInfo(lcClock) << "tray icon added";
}

void BigCForm::setTrayAvailable(bool available)
{
    m_hideshow->setEnabled(available);
    if (available) {
        showTrayIcon();
        if (m_shownForLackOfTray) {
            m_shownForLackOfTray = false;
            hideshowClick();
        }
    } else {
        removeTrayIcon();
        if (!state.isshowing) {
            m_shownForLackOfTray = true;
            showClock();
        }
    }
}

void BigCForm::showOnRequest()
{
    if (!isVisible())
        showClock();
}

void BigCForm::endOnRequest()
{
    if (frmdshow *player = m_bas.player())
        player->stop();
    exitClick();
}

void BigCForm::removeTrayIcon()
{
    if (m_tray) {
        m_tray->hide();
        qCInfo(lcClock) << "tray icon removed";
    }
}

void BigCForm::trayMessage(int mouseMessage)
{
    const TrayHost host =
        m_bas.statusNotifierTray() ? TrayHost::StatusNotifier : TrayHost::MouseMessages;
    switch (trayActionFor(mouseMessage, host)) {
    case TrayAction::ShowClock:
        showClock();
        break;
    case TrayAction::OpenMenu:
        mPopupSys()->popup(QCursor::pos());
        break;
    case TrayAction::Nothing:
        break;
    }
}

void BigCForm::Showled(QWidget &window, bool showbig)
{
    settopmost(window);
    if (showbig) {
        show();
        raise();
    }
}

void BigCForm::setHideshowCaption(const QString &caption)
{
    m_hideshow->setText(caption);
    qCInfo(lcClock) << "menu item:" << caption;
}

void BigCForm::showClock()
{
    setHideshowCaption(QStringLiteral("Hide Time"));
    state.isshowing = true;
    Showled(*this, true);
    // Asked for by the user: the keys go to it, so its menu opens from the keyboard.
    activateWindow();
}

void BigCForm::hideshowClick()
{
    if (state.isshowing) {
        setHideshowCaption(QStringLiteral("Show Time"));
        state.isshowing = false;
        hide();
    } else {
        showClock();
    }
}

void BigCForm::aboutClick()
{
    const QString guide = QFileInfo(m_bas.files().confFilePath).dir().filePath(kUserGuide);
    m_bas.messg(QStringLiteral("Tockaro Program %1, the desktop alarm clock\n"
                               "User guide: %2\n")
                    .arg(QStringLiteral(TOCKARO_VERSION), QDir::toNativeSeparators(guide)));
}

QString BigCForm::timeAndDateShown() const
{
    const QString time = m_display->timeShown();
    if (!m_theDate->isVisibleTo(this))
        return time;
    return time + QStringLiteral(", ") + m_theDate->text().simplified();
}

void BigCForm::openMenuFromKeyboard()
{
    QMenu *menu = mPopupSys();
    if (menu->isVisible())
        return;
    menu->popup(mapToGlobal(m_display->geometry().center()));
    menu->setActiveAction(menu->actions().constFirst());
}

void BigCForm::keyPressEvent(QKeyEvent *event)
{
    if (event->key() == Qt::Key_Menu ||
        (event->key() == Qt::Key_F10 && event->modifiers() == Qt::ShiftModifier)) {
        openMenuFromKeyboard();
        return;
    }
    QWidget::keyPressEvent(event);
}

void BigCForm::contextMenuEvent(QContextMenuEvent *event)
{
    // A right click opens the menu through the display's mouse events.
    if (event->reason() == QContextMenuEvent::Keyboard)
        openMenuFromKeyboard();
}

void BigCForm::alarmsformClick()
{
    frmalarms &window = m_bas.alarmList();
    window.show();
    window.raise();
    window.activateWindow();
}

void BigCForm::exitClick()
{
    removeTrayIcon();
    m_bas.endProgram();
}

void BigCForm::savemainoptions(const Settings &settings)
{
    state.ampm = settings.twentyFourHour ? 1 : 0;
    m_bas.saveconf(settings);
    state.adjustsize = sizePercent(settings.sizeIndex);
    Sizing(state.adjustsize);
    // The new time format shows at once rather than at the next tick.
    m_display->TimeIN(clockTimeText(m_bas.clock().now().time(), state.ampm != 0, QLocale()));
    followTimeRule(m_bas.clock().now());
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
    // The digits have new pictures and places.
    if (m_digitsPainted)
        startDigitPainter();
}

// The tick runs once a second, just after the whole second: the digits change
// right after the real second does, and an idle clock wakes the machine once a
// second rather than twice.
void BigCForm::Timer1_Timer()
{
    const QDateTime now = m_bas.clock().now();
    m_display->TimeIN(clockTimeText(now.time(), state.ampm != 0, QLocale()));
    m_alarm.tick(now);
    refreshDateLine(now.date());
    m_theDate->setVisible(dateLineShown(state.adjustsize));
    followTimeRule(now);
    planTicks(now);
}

// An idle clock whose digits are drawn by the painter, or hidden, wakes its
// event loop once a minute or for the next alarm rather than every second:
// most of what an idle clock costs is the event loop's waking.
void BigCForm::planTicks(const QDateTime &now)
{
    if ((isVisible() && !m_digitsPainted) || m_alarm.alarmRinging())
        return;
    const std::optional<NextDue> &due = m_bas.nextDue();
    const qint64 next =
        nextNeededTick(now, due ? std::optional(due->at.toSecsSinceEpoch()) : std::nullopt);
    if (next > now.toSecsSinceEpoch() + 1)
        m_bas.ticks().skipUntil(next);
}

void BigCForm::startDigitPainter()
{
    DigitPainter *painter = m_bas.digitPainter();
    if (!painter)
        return;
    m_digitsPainted = painter->setScene(m_display->digitScene());
    if (!m_digitsPainted) {
        m_display->drawDigitsElsewhere({});
        return;
    }
    m_display->drawDigitsElsewhere(
        [this] { return clockTimeText(m_bas.clock().now().time(), state.ampm != 0, QLocale()); });
    m_timeRule.reset();
    followTimeRule(m_bas.clock().now());
    painter->setDrawing(isVisible());
}

// The painter reads the wall clock in UTC; local time and its next change of
// offset come from the zone the clock reads, once a minute as the zone may be
// changed.
void BigCForm::followTimeRule(const QDateTime &now)
{
    if (!m_digitsPainted)
        return;
    const int offset = now.offsetFromUtc();
    const bool twentyFourHour = state.ampm != 0;
    if (m_timeRule && m_timeRule->offsetSeconds == offset &&
        m_timeRule->twentyFourHour == twentyFourHour &&
        now.toSecsSinceEpoch() < m_timeRule->offsetChangesAt)
        return;
    DigitPainter::TimeRule rule;
    rule.twentyFourHour = twentyFourHour;
    rule.offsetSeconds = offset;
    rule.offsetAfter = offset;
    const QTimeZone zone = now.timeZone();
    if (zone.isValid() && zone.hasTransitions()) {
        const QTimeZone::OffsetData change = zone.nextTransition(now);
        if (change.atUtc.isValid()) {
            rule.offsetChangesAt = change.atUtc.toSecsSinceEpoch();
            rule.offsetAfter = change.offsetFromUtc;
        }
    }
    m_timeRule = rule;
    m_bas.digitPainter()->setTimeRule(rule);
}

void BigCForm::showNotice(const QString &text)
{
    // Shown until clicked: the user may be away when it comes.
    if (m_tray && m_tray->isVisible())
        m_tray->showMessage(QStringLiteral("Tockaro"), text, QSystemTrayIcon::Information, 0);
    else
        m_bas.messg(text);
    qCInfo(lcAlarms).noquote() << "notice:" << text;
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
        setCursor(Qt::SizeAllCursor);
        m_dragging = true;
        m_grab = QPoint(qRound(x), qRound(y));
    } else if (button == 2) {
        mPopupSys()->popup(QCursor::pos());
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
    if (button != 1)
        return;
    m_dragging = false;
    unsetCursor();
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
    if (event->type() == QEvent::WinIdChange && m_digitsPainted)
        startDigitPainter();
    return QWidget::event(event);
}

void BigCForm::showEvent(QShowEvent *event)
{
    QWidget::showEvent(event);
    const QDateTime now = m_bas.clock().now();
    m_display->TimeIN(clockTimeText(now.time(), state.ampm != 0, QLocale()));
    // Anew at each show, as a window shown again may be a new native window;
    // from the event loop, so the window maps before its pictures are made.
    QMetaObject::invokeMethod(this, &BigCForm::startDigitPainter, Qt::QueuedConnection);
    // Shown digits the painter does not draw need their tick each second.
    m_bas.ticks().resumeEverySecond();
}

void BigCForm::hideEvent(QHideEvent *event)
{
    QWidget::hideEvent(event);
    if (m_digitsPainted)
        m_bas.digitPainter()->setDrawing(false);
}

void BigCForm::closeEvent(QCloseEvent *event)
{
    m_bas.ticks().stop();
    removeTrayIcon();
    event->accept();
    // The clock window is the program: closing it ends the program rather than
    // leaving it running with nothing on screen.
    m_bas.endProgram();
}

void BigCForm::paintEvent(QPaintEvent *)
{
    QPainter painter(this);
    painter.fillRect(rect(), Qt::black);
    drawOutline(painter, m_layout.outerOutline, QPen(kDarkRed, 1, Qt::DashLine));
    drawOutline(painter, m_layout.outline, QPen(kRed, 1));
}
