#include "base/topmost.h"

#include <QApplication>
#include <QEvent>
#include <QScreen>
#include <QStyle>
#include <QWidget>

#include <algorithm>

#if defined(TOCKARO_HAVE_XCB) && QT_CONFIG(xcb)
#define TOCKARO_XCB 1
#include <QGuiApplication>

#include <xcb/xcb.h>

#include <algorithm>
#include <array>
#include <cstdlib>
#include <cstring>
#endif

namespace {

// The mark of a part kept in sight, a property of the part's widget.
constexpr char kInSight[] = "keepInSight";

// A window manager may keep a utility window that belongs to an application's
// window group in the layer of the group's ordinary windows: under xfwm4 the
// clock sank to the ordinary layer once the alarm list had opened, although it
// still asked to stay above, until it was hidden and shown again. A group of
// its own keeps such a window in the top band whatever else of the program opens.
void leaveWindowGroup(QWidget &window)
{
#ifdef TOCKARO_XCB
    // The offscreen platform answers as X11 too, without a connection.
    const auto *x11 = qGuiApp->nativeInterface<QNativeInterface::QX11Application>();
    xcb_connection_t *connection = x11 ? x11->connection() : nullptr;
    if (!connection)
        return;
    const auto id = static_cast<xcb_window_t>(window.winId());
    // WM_HINTS is nine 32-bit fields: the flags first, the window group last.
    constexpr uint32_t kWindowGroupHint = 1u << 6;
    std::array<uint32_t, 9> hints{};
    if (xcb_get_property_reply_t *reply =
            xcb_get_property_reply(connection,
                                   xcb_get_property(connection, 0, id, XCB_ATOM_WM_HINTS,
                                                    XCB_ATOM_WM_HINTS, 0, hints.size()),
                                   nullptr)) {
        const auto bytes =
            std::min<size_t>(xcb_get_property_value_length(reply), sizeof(uint32_t) * hints.size());
        std::memcpy(hints.data(), xcb_get_property_value(reply), bytes);
        std::free(reply);
    }
    hints.front() |= kWindowGroupHint;
    hints.back() = id;
    xcb_change_property(connection, XCB_PROP_MODE_REPLACE, id, XCB_ATOM_WM_HINTS, XCB_ATOM_WM_HINTS,
                        32, hints.size(), hints.data());
#else
    Q_UNUSED(window);
#endif
}

// Qt gives every new native window the program's group: each one the window
// gets (a change of flags makes a new one) leaves it before it is mapped.
class OwnWindowGroup final : public QObject {
public:
    explicit OwnWindowGroup(QWidget &window) : QObject(&window)
    {
        setObjectName(QStringLiteral("ownWindowGroup"));
        window.installEventFilter(this);
        if (window.testAttribute(Qt::WA_WState_Created))
            leaveWindowGroup(window);
    }

    bool eventFilter(QObject *watched, QEvent *event) override
    {
        if (event->type() == QEvent::WinIdChange)
            leaveWindowGroup(*static_cast<QWidget *>(watched));
        return false;
    }
};

void keepOwnWindowGroup(QWidget &window)
{
    if (!window.findChild<QObject *>(QStringLiteral("ownWindowGroup"), Qt::FindDirectChildrenOnly))
        new OwnWindowGroup(window);
}

} // namespace

void settopmost(QWidget &window)
{
    keepOwnWindowGroup(window);
    if (!window.windowFlags().testFlag(Qt::WindowStaysOnTopHint)) {
        // Changing the flags of a shown window hides it; show it again where it was.
        const bool wasVisible = window.isVisible();
        const QPoint at = window.pos();
        window.setWindowFlag(Qt::WindowStaysOnTopHint);
        if (wasVisible) {
            window.move(at);
            window.show();
        }
    }
    if (window.isVisible())
        window.raise();
}

void showInFront(QWidget &window, bool &placed)
{
    if (window.windowFlags().testFlag(Qt::WindowStaysOnTopHint))
        keepOwnWindowGroup(window);
    if (!placed) {
        placed = true;
        centreOnScreen(window);
    }
    window.show();
    window.raise();
    window.activateWindow();
}

void centreOnScreen(QWidget &window)
{
    const QRect area = window.screen()->availableGeometry();
    const QSize frame = window.size() + framePadding(window);
    const QPoint centred = area.center() - QPoint(frame.width(), frame.height()) / 2;
    // A frame larger than the area keeps its top left corner, and so its
    // title bar, on the screen.
    window.move(std::clamp(centred.x(), area.left(),
                           std::max(area.left(), area.right() + 1 - frame.width())),
                std::clamp(centred.y(), area.top(),
                           std::max(area.top(), area.bottom() + 1 - frame.height())));
}

QSize framePadding(const QWidget &window)
{
    const QSize known = window.frameGeometry().size() - window.size();
    if (known.width() > 0 || known.height() > 0)
        return known;
    return {0, window.style()->pixelMetric(QStyle::PM_TitleBarHeight, nullptr, &window)};
}

QSize roomOnScreen(const QWidget &window)
{
    return window.screen()->availableGeometry().size() - framePadding(window);
}

void keepInSight(QWidget &part)
{
    part.setProperty(kInSight, true);
}

QList<QRect> partsInSight(const QWidget &window)
{
    QList<QRect> parts;
    for (const QWidget *other : QApplication::topLevelWidgets()) {
        if (other == &window || !other->isVisible())
            continue;
        for (const QWidget *part : other->findChildren<QWidget *>()) {
            if (part->property(kInSight).toBool() && part->isVisible())
                parts.append(QRect(part->mapToGlobal(QPoint(0, 0)), part->size()));
        }
    }
    return parts;
}
