// The X11 digit painter on a real X server: what it draws into a window, read back from it.

#include "base/timeunits.h"
#include "display/ledclock.h"
#include "platform/xcbdigitpainter.h"

#include <QApplication>
#include <QDateTime>
#include <QTest>

#include <xcb/xcb.h>

#include <cstdlib>
#include <memory>

namespace {

xcb_connection_t *connection()
{
    return qGuiApp->nativeInterface<QNativeInterface::QX11Application>()->connection();
}

// The window's pixels as the X server has them, 0xRRGGBB.
QImage windowPixels(const QWidget &window)
{
    const auto id = static_cast<xcb_window_t>(window.winId());
    const QSize size = window.size() * window.devicePixelRatio();
    std::unique_ptr<xcb_get_image_reply_t, decltype(&std::free)> reply(
        xcb_get_image_reply(connection(),
                            xcb_get_image(connection(), XCB_IMAGE_FORMAT_Z_PIXMAP, id, 0, 0,
                                          uint16_t(size.width()), uint16_t(size.height()), ~0u),
                            nullptr),
        &std::free);
    if (!reply)
        return {};
    return QImage(xcb_get_image_data(reply.get()), size.width(), size.height(),
                  QImage::Format_RGB32)
        .copy();
}

bool showsDigits(const QImage &pixels, const DigitPainter::Scene &scene,
                 const std::array<int, DigitPainter::kDigits> &digits)
{
    for (int i = 0; i < DigitPainter::kDigits; ++i) {
        const QImage expected = scene.pictures.copy(
            QRect(QPoint(digits[i] * scene.cell.width(), i * scene.cell.height()),
                  scene.places[i].size()));
        if (pixels.copy(scene.places[i]) != expected)
            return false;
    }
    return true;
}

} // namespace

class TestDigitPainter final : public QObject {
    Q_OBJECT

private Q_SLOTS:
    void init()
    {
        m_window.emplace();
        m_window->setAttribute(Qt::WA_OpaquePaintEvent);
        m_window->setStyleSheet(QStringLiteral("background: black"));
        m_window->resize(400, 120);
        auto *display = new LedClock(&*m_window);
        display->adjustsize(100);
        display->move(7, 9);
        m_window->show();
        QVERIFY(QTest::qWaitForWindowExposed(&*m_window));
        m_painter = makeXcbDigitPainter();
        QVERIFY(m_painter);
        m_scene = display->digitScene();
        QVERIFY(m_painter->setScene(m_scene));
    }
    void cleanup()
    {
        m_painter.reset();
        m_window.reset();
    }

    // Each second's digits by the rule: the format, the offset, and a change of offset at a second.
    void drawsEachSecond_data()
    {
        QTest::addColumn<bool>("twentyFourHour");
        QTest::addColumn<int>("offset");
        QTest::addColumn<int>("changeIn"); // seconds from now; 0: none
        QTest::addColumn<int>("offsetAfter");
        QTest::newRow("12 h, half an hour off") << false << 5 * 3600 + 1800 << 0 << 0;
        // Read at the next second, then twice after the change.
        QTest::newRow("24 h, the offset changes") << true << 0 << 2 << 3600;
    }
    void drawsEachSecond()
    {
        QFETCH(bool, twentyFourHour);
        QFETCH(int, offset);
        QFETCH(int, changeIn);
        QFETCH(int, offsetAfter);
        DigitPainter::TimeRule rule;
        rule.twentyFourHour = twentyFourHour;
        rule.offsetSeconds = offset;
        rule.offsetAfter = offsetAfter;
        if (changeIn > 0)
            rule.offsetChangesAt = QDateTime::currentSecsSinceEpoch() + changeIn;
        m_painter->setTimeRule(rule);
        m_painter->setDrawing(true);
        const auto digitsAt = [&rule](qint64 utc) {
            const int shift = utc >= rule.offsetChangesAt ? rule.offsetAfter : rule.offsetSeconds;
            return clockDigits(int((utc + shift) % kSecondsPerDay), rule.twentyFourHour);
        };
        // Three seconds, each read 400 ms in, when even a loaded machine has drawn it; a read the
        // next second overtook is read again. The painter's clock: time() may lag a few ms.
        int seen = 0;
        QDeadlineTimer deadline(8000);
        while (seen < 3 && !deadline.hasExpired()) {
            QTest::qWait(int(1400 - QDateTime::currentMSecsSinceEpoch() % 1000));
            const qint64 before = QDateTime::currentSecsSinceEpoch();
            const QImage pixels = windowPixels(*m_window);
            if (QDateTime::currentSecsSinceEpoch() != before)
                continue;
            QVERIFY2(showsDigits(pixels, m_scene, digitsAt(before)),
                     qPrintable(QStringLiteral("at %1").arg(before)));
            ++seen;
        }
        QCOMPARE(seen, 3);
    }

    // Stopped, it leaves the window alone.
    void stopsWhenHidden()
    {
        m_painter->setTimeRule({});
        m_painter->setDrawing(true);
        QTest::qWait(200);
        m_painter->setDrawing(false);
        const QImage stopped = windowPixels(*m_window);
        QTest::qWait(1200);
        QCOMPARE(windowPixels(*m_window), stopped);
    }

private:
    std::optional<QWidget> m_window;
    std::unique_ptr<DigitPainter> m_painter;
    DigitPainter::Scene m_scene;
};

QTEST_MAIN(TestDigitPainter)
#include "tst_digitpainter.moc"
