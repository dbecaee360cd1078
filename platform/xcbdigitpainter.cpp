#include "platform/xcbdigitpainter.h"

#include "base/timeunits.h"

#include <QtGlobal>

#if defined(TOCKARO_HAVE_XCB) && defined(Q_OS_LINUX)
#include <QGuiApplication>

#if QT_CONFIG(xcb)
#define TOCKARO_XCB_PAINTER 1
#endif
#endif

#ifdef TOCKARO_XCB_PAINTER
#include <poll.h>
#include <sys/eventfd.h>
#include <sys/timerfd.h>
#include <unistd.h>
#include <xcb/xcb.h>

#include <algorithm>
#include <cerrno>
#include <cstdint>
#include <cstdlib>
#include <ctime>
#include <mutex>
#include <thread>

namespace {

template <typename Reply> struct FreeReply {
    void operator()(Reply *reply) const { std::free(reply); }
};
template <typename Reply> using ReplyPtr = std::unique_ptr<Reply, FreeReply<Reply>>;

// The window's pixels as 32-bit words 0xXXRRGGBB in the machine's byte order:
// what a QImage in Format_RGB32 holds, so its pictures go over unchanged.
bool takesRgb32(xcb_connection_t *connection, xcb_window_t window, uint8_t &depth)
{
    const ReplyPtr<xcb_get_geometry_reply_t> geometry(
        xcb_get_geometry_reply(connection, xcb_get_geometry(connection, window), nullptr));
    const ReplyPtr<xcb_get_window_attributes_reply_t> attributes(xcb_get_window_attributes_reply(
        connection, xcb_get_window_attributes(connection, window), nullptr));
    if (!geometry || !attributes)
        return false;
    depth = geometry->depth;
    const xcb_setup_t *setup = xcb_get_setup(connection);
    const bool littleEndian = Q_BYTE_ORDER == Q_LITTLE_ENDIAN;
    if ((setup->image_byte_order == XCB_IMAGE_ORDER_LSB_FIRST) != littleEndian)
        return false;
    bool thirtyTwoBits = false;
    for (auto format = xcb_setup_pixmap_formats_iterator(setup); format.rem;
         xcb_format_next(&format)) {
        if (format.data->depth == depth)
            thirtyTwoBits = format.data->bits_per_pixel == 32;
    }
    if (!thirtyTwoBits)
        return false;
    for (auto screen = xcb_setup_roots_iterator(setup); screen.rem; xcb_screen_next(&screen)) {
        for (auto depths = xcb_screen_allowed_depths_iterator(screen.data); depths.rem;
             xcb_depth_next(&depths)) {
            for (auto visual = xcb_depth_visuals_iterator(depths.data); visual.rem;
                 xcb_visualtype_next(&visual)) {
                if (visual.data->visual_id == attributes->visual) {
                    return visual.data->_class == XCB_VISUAL_CLASS_TRUE_COLOR &&
                           visual.data->red_mask == 0xff0000 && visual.data->green_mask == 0xff00 &&
                           visual.data->blue_mask == 0xff;
                }
            }
        }
    }
    return false;
}

class XcbDigitPainter final : public DigitPainter {
public:
    XcbDigitPainter(xcb_connection_t *connection, int timer, int wake)
        : m_connection(connection), m_timer(timer), m_wake(wake), m_thread([this] { run(); })
    {}

    ~XcbDigitPainter() override
    {
        {
            const std::lock_guard lock(m_mutex);
            m_ending = true;
        }
        wakeThread();
        m_thread.join();
        dropPictures();
        xcb_flush(m_connection);
        close(m_timer);
        close(m_wake);
    }
    XcbDigitPainter(const XcbDigitPainter &) = delete;
    XcbDigitPainter &operator=(const XcbDigitPainter &) = delete;

    bool setScene(const Scene &scene) override
    {
        const std::lock_guard lock(m_mutex);
        dropPictures();
        const auto window = static_cast<xcb_window_t>(scene.window);
        uint8_t depth = 0;
        if (!window || !takesRgb32(m_connection, window, depth))
            return false;
        // The X server keeps the pictures, so a second costs a copy request
        // of a few bytes a digit.
        const QImage pictures = scene.pictures.convertToFormat(QImage::Format_RGB32);
        const QSize cell = scene.cell;
        if (cell.isEmpty() || pictures.width() < cell.width() * 10 ||
            pictures.height() < cell.height() * kDigits)
            return false;
        for (int digit = 0; digit < kDigits; ++digit) {
            if (!QRect(QPoint(), cell).contains(QRect(QPoint(), scene.places[digit].size())))
                return false;
        }
        m_pictures = xcb_generate_id(m_connection);
        xcb_create_pixmap(m_connection, depth, m_pictures, window, uint16_t(pictures.width()),
                          uint16_t(pictures.height()));
        m_gc = xcb_generate_id(m_connection);
        // No exposure events: the copies never come from hidden parts, and an
        // event would wake the program's event loop after each one.
        const uint32_t noExposures = 0;
        xcb_create_gc(m_connection, m_gc, m_pictures, XCB_GC_GRAPHICS_EXPOSURES, &noExposures);
        // In bands of rows: a request longer than the server takes would end
        // the connection, and with it the program.
        const qsizetype rowBytes = pictures.bytesPerLine();
        const auto maxRequestBytes = qsizetype(xcb_get_maximum_request_length(m_connection)) * 4;
        const int bandRows = int(std::max<qsizetype>(1, (maxRequestBytes - 64) / rowBytes));
        if (rowBytes + 64 > maxRequestBytes) {
            dropPictures();
            return false;
        }
        for (int row = 0; row < pictures.height(); row += bandRows) {
            const int rows = std::min(bandRows, pictures.height() - row);
            xcb_put_image(m_connection, XCB_IMAGE_FORMAT_Z_PIXMAP, m_pictures, m_gc,
                          uint16_t(pictures.width()), uint16_t(rows), 0, int16_t(row), 0, depth,
                          uint32_t(rowBytes * rows), pictures.constScanLine(row));
        }
        xcb_flush(m_connection);
        m_window = window;
        m_places = scene.places;
        m_cell = cell;
        m_drawn.fill(-1);
        return true;
    }

    void setTimeRule(const TimeRule &rule) override
    {
        const std::lock_guard lock(m_mutex);
        if (rule == m_rule)
            return;
        m_rule = rule;
        m_drawn.fill(-1);
    }

    void setDrawing(bool drawing) override
    {
        const std::lock_guard lock(m_mutex);
        if (drawing == m_drawing)
            return;
        m_drawing = drawing;
        m_drawn.fill(-1);
        if (drawing) {
            armTimer();
        } else {
            const itimerspec disarmed{};
            timerfd_settime(m_timer, 0, &disarmed, nullptr);
        }
    }

private:
    void wakeThread() const
    {
        const std::uint64_t one = 1;
        [[maybe_unused]] const ssize_t written = write(m_wake, &one, sizeof one);
    }

    // At each whole second of the wall clock, and at once when the clock is set.
    void armTimer()
    {
        timespec now{};
        clock_gettime(CLOCK_REALTIME, &now);
        itimerspec every{};
        every.it_value.tv_sec = now.tv_sec + 1;
        every.it_interval.tv_sec = 1;
        timerfd_settime(m_timer, TFD_TIMER_ABSTIME | TFD_TIMER_CANCEL_ON_SET, &every, nullptr);
        // The digits of the present second, not the next one's.
        wakeThread();
    }

    void run()
    {
        pollfd waits[] = {{m_timer, POLLIN, 0}, {m_wake, POLLIN, 0}};
        for (;;) {
            if (poll(waits, 2, -1) < 0) {
                if (errno == EINTR)
                    continue;
                return;
            }
            std::uint64_t count = 0;
            if (waits[1].revents & POLLIN) [[maybe_unused]]
                const ssize_t taken = read(m_wake, &count, sizeof count);
            bool clockSet = false;
            if (waits[0].revents & POLLIN)
                clockSet = read(m_timer, &count, sizeof count) < 0 && errno == ECANCELED;
            const std::lock_guard lock(m_mutex);
            if (m_ending)
                return;
            if (!m_drawing)
                continue;
            if (clockSet)
                armTimer();
            draw();
        }
    }

    void draw()
    {
        if (!m_pictures)
            return;
        timespec now{};
        clock_gettime(CLOCK_REALTIME, &now);
        const qint64 utc = now.tv_sec;
        const int offset =
            utc >= m_rule.offsetChangesAt ? m_rule.offsetAfter : m_rule.offsetSeconds;
        const qint64 local = ((utc + offset) % kSecondsPerDay + kSecondsPerDay) % kSecondsPerDay;
        const std::array<int, kDigits> digits = clockDigits(int(local), m_rule.twentyFourHour);
        bool changed = false;
        for (int digit = 0; digit < kDigits; ++digit) {
            if (digits[digit] == m_drawn[digit])
                continue;
            const QRect &place = m_places[digit];
            xcb_copy_area(m_connection, m_pictures, m_window, m_gc,
                          int16_t(digits[digit] * m_cell.width()), int16_t(digit * m_cell.height()),
                          int16_t(place.x()), int16_t(place.y()), uint16_t(place.width()),
                          uint16_t(place.height()));
            m_drawn[digit] = digits[digit];
            changed = true;
        }
        if (changed)
            xcb_flush(m_connection);
    }

    void dropPictures()
    {
        if (m_pictures) {
            xcb_free_gc(m_connection, m_gc);
            xcb_free_pixmap(m_connection, m_pictures);
        }
        m_pictures = 0;
        m_gc = 0;
        m_window = 0;
    }

    xcb_connection_t *const m_connection;
    const int m_timer;
    const int m_wake;

    std::mutex m_mutex; // guards what follows, between the window and the thread
    bool m_ending = false;
    bool m_drawing = false;
    xcb_window_t m_window = 0;
    xcb_pixmap_t m_pictures = 0;
    xcb_gcontext_t m_gc = 0;
    std::array<QRect, kDigits> m_places;
    QSize m_cell;
    TimeRule m_rule;
    std::array<int, kDigits> m_drawn{};

    std::thread m_thread; // last: it starts once all of the above is made
};

} // namespace

std::unique_ptr<DigitPainter> makeXcbDigitPainter()
{
    const auto *x11 = qGuiApp->nativeInterface<QNativeInterface::QX11Application>();
    // The offscreen platform answers as X11 too, without a connection.
    xcb_connection_t *connection = x11 ? x11->connection() : nullptr;
    if (!connection || QGuiApplication::platformName() != QLatin1String("xcb"))
        return nullptr;
    const int timer = timerfd_create(CLOCK_REALTIME, TFD_NONBLOCK | TFD_CLOEXEC);
    const int wake = eventfd(0, EFD_NONBLOCK | EFD_CLOEXEC);
    if (timer < 0 || wake < 0) {
        if (timer >= 0)
            close(timer);
        if (wake >= 0)
            close(wake);
        return nullptr;
    }
    return std::make_unique<XcbDigitPainter>(connection, timer, wake);
}

#else

std::unique_ptr<DigitPainter> makeXcbDigitPainter()
{
    return nullptr;
}

#endif
