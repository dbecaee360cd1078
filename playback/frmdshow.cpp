#include "playback/frmdshow.h"

#include "base/logging.h"
#include "base/topmost.h"
#include "base/twips.h"
#include "playback/isvideo.h"
#include "playback/playerlogic.h"

#include <QAction>
#include <QApplication>
#include <QCloseEvent>
#include <QMenu>
#include <QPainter>
#include <QPainterPath>
#include <QScreen>
#include <QSlider>
#include <QToolBar>

#include <algorithm>
#include <limits>
#include <utility>

namespace {

constexpr int kPlacementMs = 20;

// The design, in twips: the window, the video area, the toolbar and its seek bar.
constexpr QRectF kWindow(0, 0, 7515, 5775);
constexpr QRectF kVideo(0, 0, 7515, 5295);
constexpr QRectF kToolbar(0, 5280, 7485, 510);
constexpr QRectF kSlider(960, 75, 6495, 375);
// What the video area keeps on a small screen.
constexpr QRectF kLeastVideo(0, 0, 2400, 1350);

QRect pixels(const QRectF &twips)
{
    return twipsToPixels(twips).toRect();
}

// The toolbar's two 16 x 16 images, drawn here rather than shipped.
QIcon paintedImage(const QPainterPath &shape)
{
    QPixmap image(16, 16);
    image.fill(Qt::transparent);
    QPainter painter(&image);
    painter.setRenderHint(QPainter::Antialiasing);
    painter.fillPath(shape, Qt::black);
    return QIcon(image);
}

QIcon playImage()
{
    QPainterPath triangle;
    triangle.addPolygon(QPolygonF({QPointF(4, 2), QPointF(14, 8), QPointF(4, 14)}));
    triangle.closeSubpath();
    return paintedImage(triangle);
}

QIcon pauseImage()
{
    QPainterPath square;
    square.addRect(QRectF(3, 3, 10, 10));
    return paintedImage(square);
}

qint64 coveredArea(const QRect &player, const QList<QRect> &others)
{
    qint64 area = 0;
    for (const QRect &other : others) {
        const QRect covered = player.intersected(other);
        area += qint64(covered.width()) * covered.height();
    }
    return area;
}

// Where a player of `size` covers least, first of the parts the program's
// other windows keep in sight (a dialog's buttons, an alarm's message), then
// of those windows; the centre of the screen wins a tie, then the places
// beside each window, then the screen's corners.
QPoint clearPlace(const QRect &screen, const QSize &size, const QList<QRect> &windows,
                  const QList<QRect> &inSight)
{
    QList<QPoint> places{screen.center() - QPoint(size.width(), size.height()) / 2};
    for (const QRect &other : windows + inSight) {
        places << QPoint(other.right() + 1, other.top())
               << QPoint(other.left() - size.width(), other.top())
               << QPoint(other.left(), other.bottom() + 1)
               << QPoint(other.left(), other.top() - size.height());
    }
    const QPoint farCorner =
        screen.bottomRight() - QPoint(size.width(), size.height()) + QPoint(1, 1);
    places << screen.topLeft() << QPoint(farCorner.x(), screen.top())
           << QPoint(screen.left(), farCorner.y()) << farCorner;
    QRect best;
    std::pair<qint64, qint64> least{std::numeric_limits<qint64>::max(), 0};
    for (const QPoint &place : places) {
        const QPoint inside(
            std::clamp(place.x(), screen.left(), std::max(screen.left(), farCorner.x())),
            std::clamp(place.y(), screen.top(), std::max(screen.top(), farCorner.y())));
        const QRect player(inside, size);
        const std::pair covered{coveredArea(player, inSight), coveredArea(player, windows)};
        if (covered < least) {
            least = covered;
            best = player;
        }
    }
    return best.topLeft();
}

} // namespace

frmdshow::frmdshow(MediaEngineFactory &engines, PlayerPace pace, QWidget *parent)
    // Topmost from the start: a shown window that gets the flag is made anew
    // by Qt, and a video playing in it would stay black.
    : QWidget(parent, Qt::Tool | Qt::CustomizeWindowHint | Qt::WindowTitleHint |
                          Qt::WindowCloseButtonHint | Qt::WindowStaysOnTopHint),
      m_engines(engines), m_timer2(this), m_timer3(this), m_timer4(this)
{
    setObjectName(QStringLiteral("frmdshow"));
    setWindowTitle(QStringLiteral("Play"));

    m_picVideoWindow = new QWidget(this);
    m_picVideoWindow->setObjectName(QStringLiteral("picVideoWindow"));
    m_picVideoWindow->setAutoFillBackground(true);
    QPalette videoPalette = m_picVideoWindow->palette();
    videoPalette.setColor(QPalette::Window, Qt::black);
    m_picVideoWindow->setPalette(videoPalette);

    m_tlbControlBar = new QToolBar(this);
    m_tlbControlBar->setObjectName(QStringLiteral("tlbControlBar"));
    m_tlbControlBar->setIconSize(QSize(16, 16));
    m_tlbControlBar->setMovable(false);
    m_play = m_tlbControlBar->addAction(playImage(), QStringLiteral("Play"));
    m_play->setObjectName(QStringLiteral("Play"));
    m_pause = m_tlbControlBar->addAction(pauseImage(), QStringLiteral("Pause"));
    m_pause->setObjectName(QStringLiteral("Pause"));
    for (QAction *button : {m_play, m_pause})
        connect(button, &QAction::triggered, this,
                [this, button] { tlbControlBar_ButtonClick(*button); });

    m_slider1 = new QSlider(Qt::Horizontal, m_tlbControlBar);
    m_slider1->setObjectName(QStringLiteral("Slider1"));
    m_slider1->setRange(0, 0);
    m_tlbControlBar->addWidget(m_slider1);
    // Only the user's own moves seek: the ticks set the value every second,
    // and a seek on those would jump playback back to the whole second.
    connect(m_slider1, &QSlider::actionTriggered, this, &frmdshow::Slider1_Scroll);

    // The client area is all video and toolbar, so the menu shows no bar; its
    // command works from the keyboard.
    m_mnufile = new QMenu(QStringLiteral("&File"), this);
    m_mnufile->setObjectName(QStringLiteral("mnufile"));
    m_mnuopen = m_mnufile->addAction(QStringLiteral("&Open"));
    m_mnuopen->setObjectName(QStringLiteral("mnuopen"));
    m_mnuopen->setShortcut(QKeySequence(Qt::CTRL | Qt::Key_O));
    addAction(m_mnuopen);
    connect(m_mnuopen, &QAction::triggered, this, &frmdshow::mnuopen_Click);

    m_timer2.setObjectName(QStringLiteral("Timer2"));
    m_timer2.setInterval(pace.endCheckMs);
    connect(&m_timer2, &QTimer::timeout, this, &frmdshow::Timer2_Timer);
    m_timer3.setObjectName(QStringLiteral("Timer3"));
    m_timer3.setInterval(pace.tickMs);
    connect(&m_timer3, &QTimer::timeout, this, &frmdshow::Timer3_Timer);
    m_timer4.setObjectName(QStringLiteral("Timer4"));
    m_timer4.setInterval(kPlacementMs);
    m_timer4.setSingleShot(true);
    connect(&m_timer4, &QTimer::timeout, this, &frmdshow::Timer4_Timer);
    fitTo(pixels(kWindow).size());
}

frmdshow::~frmdshow() = default;

void frmdshow::load()
{
    if (m_loaded)
        return;
    m_loaded = true;
    m_centreWhenShown = true;
    // Before the engine puts its picture into the video area.
    fitTo(roomOnScreen(*this));
    m_timer2.start();
    m_timer4.start();
}

void frmdshow::play(const PlayRequest &request)
{
    load();
    m_request = request;
    m_fadein = request.fadeIn ? 1 : 0;
    m_fadeout = false;
    if (request.showWindow)
        show();
    mnuopen_Click();
}

void frmdshow::ready(const PlayRequest &request)
{
    // Only while nothing plays, so a readied engine never competes with a
    // sound. A video's engine would lay its picture over the window.
    if (m_loaded || isvideo(request.file) || (m_readied && m_readiedRequest == request))
        return;
    m_readied.reset();
    m_readied = openEngine(request);
    m_readiedRequest = request;
}

void frmdshow::dropReadied()
{
    m_readied.reset();
}

void frmdshow::fadeOut()
{
    m_fadeout = true;
}

void frmdshow::stop()
{
    hide();
    if (m_loaded)
        unload();
}

void frmdshow::mnuopen_Click()
{
    // The old engine goes first, so that two files never sound at once.
    m_engine.reset();
    ++m_plays;
    m_checksLoading = 0;
    m_engine = openEngine(m_request);
    m_engine->setListener(this);
    qCInfo(lcPlayback).noquote() << "playing" << m_request.file;
    durationChanged(m_engine->duration());
    // An engine may fail on opening, before it had anyone to tell.
    statusChanged(m_engine->status());
    tlbControlBar_ButtonClick(*m_play);
    m_timer3.start();
    // Only now: until this engine has started, the readied one keeps the
    // sound server's connection and the decoders loaded for it.
    m_readied.reset();
}

std::unique_ptr<MediaEngine> frmdshow::openEngine(const PlayRequest &request)
{
    std::unique_ptr<MediaEngine> engine = m_engines.create(*m_picVideoWindow, request.file);
    engine->setRepeat(request.repeat);
    engine->open(request.file);
    engine->setVolume(PlayerLogic::openVolume(request.volume, request.fadeIn ? 1 : 0));
    return engine;
}

void frmdshow::durationChanged(qint64 ms)
{
    m_txtlength = PlayerLogic::wholeSeconds(ms);
    m_slider1->setMaximum(PlayerLogic::nearestSecond(ms));
}

void frmdshow::statusChanged(PlayerLogic::MediaStatus status)
{
    // Reported from inside the engine's own calls, which must not see it go.
    if (status == PlayerLogic::MediaStatus::Failed)
        QMetaObject::invokeMethod(
            this, [this, play = m_plays] { giveUp(play); }, Qt::QueuedConnection);
    else if (status == PlayerLogic::MediaStatus::Ended && m_request.repeat)
        QMetaObject::invokeMethod(
            this, [this, play = m_plays] { restart(play); }, Qt::QueuedConnection);
}

void frmdshow::restart(quint64 play)
{
    // On the same engine, so the volume goes on from where it is: a fade-in
    // is for the first play.
    if (play == m_plays && m_engine)
        m_engine->seek(0);
}

void frmdshow::giveUp(quint64 play)
{
    if (play != m_plays || !m_engine || m_engine->status() != PlayerLogic::MediaStatus::Failed)
        return;
    qCWarning(lcPlayback).noquote()
        << "cannot play" << m_request.file << "-" << m_engine->errorString();
    Q_EMIT failed(m_request.file);
    stop();
}

void frmdshow::tlbControlBar_ButtonClick(const QAction &button)
{
    if (!m_engine)
        return;
    if (button.objectName() == QLatin1String("Play")) {
        m_engine->run();
    } else {
        m_engine->pause();
        qCInfo(lcPlayback) << "paused";
    }
}

void frmdshow::Timer4_Timer()
{
    settopmost(*this);
    // Placed again now that the window's frame is known; the old three-twip
    // trim of the size is less than a pixel and left out.
    placeClear();
}

void frmdshow::placeClear()
{
    QList<QRect> windows;
    for (const QWidget *window : QApplication::topLevelWidgets()) {
        const Qt::WindowType type = window->windowType();
        if (window != this && window->isVisible() && type != Qt::Popup && type != Qt::ToolTip)
            windows.append(window->frameGeometry());
    }
    move(clearPlace(screen()->availableGeometry(), size() + framePadding(*this), windows,
                    partsInSight(*this)));
}

// On a screen smaller than the design the video area gives up what is lacking,
// down to a small picture; the toolbar stays whole at the bottom.
void frmdshow::fitTo(const QSize &room)
{
    const QRect design = pixels(kWindow);
    const QRect video = pixels(kVideo);
    const QSize least = pixels(kLeastVideo).size();
    const int narrower = qBound(0, design.width() - room.width(), video.width() - least.width());
    const int shorter = qBound(0, design.height() - room.height(), video.height() - least.height());
    m_picVideoWindow->setGeometry(video.adjusted(0, 0, -narrower, -shorter));
    m_tlbControlBar->setGeometry(
        pixels(kToolbar).adjusted(0, 0, -narrower, 0).translated(0, -shorter));
    m_slider1->setFixedSize(pixels(kSlider).size() - QSize(narrower, 0));
    setFixedSize(design.size() - QSize(narrower, shorter));
}

void frmdshow::Timer3_Timer()
{
    if (!m_engine)
        return;
    showPosition();
    const PlayerLogic::FadeStepResult step =
        PlayerLogic::fadeTick(m_engine->volume(), m_fadein, m_fadeout, m_request.volume);
    m_fadein = step.fadein;
    if (step.volume != m_engine->volume())
        m_engine->setVolume(step.volume);
    if (step.fadeoutDone) {
        stop();
        Q_EMIT fadedOut();
    }
}

void frmdshow::Timer2_Timer()
{
    if (!m_engine) {
        stop();
        return;
    }
    const PlayerLogic::MediaStatus status = m_engine->status();
    m_checksLoading = status == PlayerLogic::MediaStatus::Loading ? m_checksLoading + 1 : 0;
    switch (PlayerLogic::endCheck(status, m_engine->duration(), m_txtlength, m_engine->position(),
                                  m_request.repeat, m_checksLoading)) {
    case PlayerLogic::EndAction::None:
        break;
    case PlayerLogic::EndAction::GiveUp:
        qCWarning(lcPlayback).noquote()
            << "cannot play" << m_request.file << "- it did not open in time";
        Q_EMIT failed(m_request.file);
        stop();
        return;
    case PlayerLogic::EndAction::Restart:
        restart(m_plays);
        break;
    case PlayerLogic::EndAction::Close:
        // A file that cannot be played is not retried, repeat or not: a
        // hidden player would go on in silence for as long as the alarm lasts.
        if (m_engine->status() == PlayerLogic::MediaStatus::Failed)
            giveUp(m_plays);
        else
            stop();
        return;
    }
    showPosition();
}

void frmdshow::showPosition()
{
    // The handle stays under the pointer while the user drags it.
    if (!m_slider1->isSliderDown())
        m_slider1->setValue(PlayerLogic::nearestSecond(m_engine->position()));
}

void frmdshow::Slider1_Scroll(int action)
{
    if (action == QAbstractSlider::SliderNoAction || !m_engine)
        return;
    // The value follows only after this signal; the position is the new place.
    m_engine->seek(qint64(m_slider1->sliderPosition()) * 1000);
}

void frmdshow::showEvent(QShowEvent *event)
{
    // Placed by its frame, which is only known once the window exists.
    if (m_centreWhenShown) {
        m_centreWhenShown = false;
        placeClear();
    }
    QWidget::showEvent(event);
}

void frmdshow::closeEvent(QCloseEvent *event)
{
    unload();
    event->accept();
}

void frmdshow::unload()
{
    m_timer2.stop();
    m_timer3.stop();
    m_timer4.stop();
    m_engine.reset();
    m_loaded = false;
    qCInfo(lcPlayback) << "stopped";
    Q_EMIT closed();
}
