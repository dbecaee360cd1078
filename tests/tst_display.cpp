#include "alarms/frmalarms.h"
#include "app/bigcform.h"
#include "app/traymenu.h"
#include "base/twips.h"
#include "display/ledclock.h"
#include "display/ledglyph.h"
#include "playback/alarmwind.h"
#include "settings/frmoptions.h"
#include "testseams.h"

#include <QAccessible>
#include <QAction>
#include <QLabel>
#include <QMenu>
#include <QPainterPath>
#include <QRegularExpression>
#include <QScreen>
#include <QSignalSpy>
#include <QTest>

#include <optional>

using LedGlyph::Segment;

namespace {

QPainterPath path(const QPolygonF &outline)
{
    QPainterPath p;
    p.addPolygon(outline);
    p.closeSubpath();
    return p;
}

// A window and each control of it that takes the focus has a name a screen reader can say and
// tell from the others: some letters, not just "...".
void checkNames(QWidget &root)
{
    QList<QAccessibleInterface *> named{QAccessible::queryAccessibleInterface(&root)};
    for (QWidget *control : root.findChildren<QWidget *>()) {
        if ((control->focusPolicy() & Qt::TabFocus) && !control->focusProxy())
            named.append(QAccessible::queryAccessibleInterface(control));
    }
    const QRegularExpression letters(QStringLiteral("[A-Za-z]"));
    QSet<QString> names;
    for (QAccessibleInterface *item : named) {
        QString name = item->text(QAccessible::Name);
        // On Unix a list box's name is its value; what labels it says what it is.
        if (item->role() == QAccessible::ComboBox) {
            const auto labels = item->relations(QAccessible::Label);
            name = labels.isEmpty() ? QString() : labels.front().first->text(QAccessible::Name);
        }
        QVERIFY2(name.contains(letters),
                 qPrintable(item->object()->objectName() + QStringLiteral(" has no name")));
        QVERIFY2(!names.contains(name), qPrintable(name + QStringLiteral(" names two controls")));
        names.insert(name);
    }
}

} // namespace

// Runs at twice the pixel density (QT_SCALE_FACTOR=2).
class TestDisplay final : public QObject {
    Q_OBJECT
    std::optional<ProgramFolder> m_folder;
    std::optional<TestProgram> m_program;

    void start()
    {
        m_program.reset();
        m_program.emplace(m_folder.emplace());
        m_program->clock.set(QTime(19, 30, 14));
        QVERIFY(m_program->program.startprogram());
    }
    BigCForm &form() { return *m_program->program.form(); }
    TrayMenu &tray() { return *m_program->program.tray(); }

private Q_SLOTS:
    // Each device pixel wholly outside the scaled segment outlines is black, wholly inside one
    // has its colour: scaled bitmaps fail at the slanted ends; 70 % starts off a whole pixel.
    void digitsFollowTheOutlines_data()
    {
        QTest::addColumn<int>("percent");
        QTest::addColumn<int>("digit");
        QTest::addColumn<QString>("lit");
        QTest::addColumn<bool>("painterDraws");
        QTest::newRow("8 at 100 %") << 100 << 8 << "abcdefg" << false;
        QTest::newRow("8 at 70 %") << 70 << 8 << "abcdefg" << false;
        QTest::newRow("8 at 70 %, an expose while a painter draws") << 70 << 8 << "abcdefg" << true;
        QTest::newRow("1 at 40 %, five bars unlit") << 40 << 1 << "bc" << false;
    }
    void digitsFollowTheOutlines()
    {
        QFETCH(int, percent);
        QFETCH(int, digit);
        QFETCH(QString, lit);
        QFETCH(bool, painterDraws);
        LedClock clock;
        clock.adjustsize(percent);
        const QString time = QString(QStringLiteral("%1%1:%1%1:%1%1")).arg(digit);
        if (painterDraws)
            clock.drawDigitsElsewhere([time] { return time; });
        else
            clock.TimeIN(time);
        const QImage image = clock.grab().toImage();
        QCOMPARE(image.devicePixelRatio(), 2.0);

        // The seconds' units, in device pixels.
        const QRectF rect = twipsToPixels(clock.layout().digits[LedLayout::S2]);
        const QRectF device(rect.topLeft() * 2, rect.size() * 2);
        const QTransform toGlyph = QTransform::fromTranslate(-device.left(), -device.top()) *
                                   QTransform::fromScale(LedGlyph::Width / device.width(),
                                                         LedGlyph::Height / device.height());
        int checked = 0;
        const QRect pixels = device.toAlignedRect();
        for (int y = pixels.top(); y <= pixels.bottom(); ++y) {
            for (int x = pixels.left(); x <= pixels.right(); ++x) {
                // The pixel's square in glyph units, a hair inside its edges.
                const QRectF square = toGlyph.mapRect(QRectF(x + 0.01, y + 0.01, 0.98, 0.98));
                QColor expected;
                bool touches = false;
                for (int s = 0; s < LedGlyph::SegmentCount; ++s) {
                    const auto segment = static_cast<Segment>(s);
                    const QPainterPath body = path(LedGlyph::segmentOutline(segment));
                    const QPainterPath innerEnd = path(LedGlyph::innerEndOutline(segment));
                    touches = touches || body.intersects(square);
                    const bool on = lit.contains(QLatin1Char('a' + s));
                    if (on && innerEnd.contains(square))
                        expected = QColor::fromRgb(LedGlyph::LitInnerEnd);
                    else if (body.contains(square) && !(on && innerEnd.intersects(square)))
                        expected = QColor::fromRgb(on ? LedGlyph::Lit : LedGlyph::Unlit);
                }
                if (!touches)
                    expected = Qt::black;
                if (!expected.isValid())
                    continue;
                ++checked;
                QVERIFY2(image.pixelColor(x, y) == expected,
                         qPrintable(QStringLiteral("device pixel (%1, %2)")
                                        .arg(x - pixels.left())
                                        .arg(y - pixels.top())));
            }
        }
        QVERIFY(checked > pixels.width() * pixels.height() / 2);
    }

    // A screen reader hears the time shown, with AM or PM, and the date, told once a minute; the
    // menu opens from the keyboard; every window's controls have names.
    void keyboardAndScreenReader()
    {
        start();
        m_program->ticks.fire();
        QSignalSpy told(form().display(), &LedClock::minuteShown);
        for (int second = 15; second < 75; ++second) {
            m_program->clock.set(QTime(19, 30).addSecs(second));
            m_program->ticks.fire();
        }
        QCOMPARE(told.count(), 1);
        QCOMPARE(QAccessible::queryAccessibleInterface(&form())->text(QAccessible::Name),
                 "07:31:14 PM, Monday 7 December 2026");
        QCOMPARE(form().focusPolicy(), Qt::StrongFocus);
        QTest::keyClick(&form(), Qt::Key_F10, Qt::ShiftModifier);
        QTRY_VERIFY(tray().mPopupSys()->isVisible());
        QCOMPARE(tray().mPopupSys()->activeAction(), tray().hideshow());
        tray().mPopupSys()->close();
        checkNames(*tray().mPopupSys());
        checkNames(m_program->program.options());
        alarmwind alarm;
        checkNames(alarm);
        QVERIFY(click(&m_program->program.alarmList(), "Cmdadd"));
        QWidget *editor = shownWindow(QStringLiteral("frmaaddalarm"));
        QVERIFY(editor);
        checkNames(*editor);
    }
    // Each window opens inside the free area of a 1280 x 700 screen at scale 1, 1.5 and 2, and a
    // screen reader is told where; the alarm window's time shows its AM whole.
    void windowsFitTheScreen_data()
    {
        QTest::addColumn<QString>("window");
        for (const char *window :
             {"frmalarms", "frmaaddalarm", "frmoptions", "frmdshow", "alarmwind"})
            QTest::newRow(window) << window;
    }
    void windowsFitTheScreen()
    {
        QFETCH(QString, window);
        start();
        const auto menu = [this](const char *item) {
            auto *action = tray().findChild<QAction *>(QLatin1String(item));
            QVERIFY2(action, item);
            action->trigger();
        };
        if (window == "frmaaddalarm" || window == "frmalarms")
            menu("Alarmsform");
        if (window == "frmaaddalarm")
            QVERIFY(click(&m_program->program.alarmList(), "Cmdadd"));
        if (window == "frmdshow" || window == "frmoptions")
            menu("mopts");
        if (window == "frmdshow")
            QVERIFY(click(&m_program->program.options(), "Command2"));
        alarmwind alarm;
        if (window == "alarmwind")
            alarm.showAlarm(QStringLiteral("07:30:00 AM"), QStringLiteral("12/24/26"),
                            QStringLiteral("Wake up"));
        QWidget *shown = shownWindow(window);
        QVERIFY(shown);
        QVERIFY(QTest::qWaitForWindowExposed(shown));
        const QRect available = shown->screen()->availableGeometry();
        QVERIFY2(available.contains(shown->frameGeometry()),
                 qPrintable(QDebug::toString(shown->frameGeometry())));
        QCOMPARE(QAccessible::queryAccessibleInterface(shown)->rect(), shown->geometry());
        const auto *time = control<QLabel>(&alarm, "lbltime");
        QVERIFY(window != "alarmwind" || (time && time->width() >= time->sizeHint().width()));
    }

    // Someone woken reaches for a key: it answers OK, Escape closes as the close box does, Snooze
    // has its own key but is never what Space presses. A screen reader hears an alert.
    void alarmWindowKeys_data()
    {
        QTest::addColumn<QKeySequence>("keys");
        QTest::addColumn<QString>("answer"); // "closed": neither OK nor Snooze
        QTest::newRow("Return") << QKeySequence(Qt::Key_Return) << "OK";
        QTest::newRow("Tab then Space") << QKeySequence(Qt::Key_Tab, Qt::Key_Space) << "OK";
        QTest::newRow("Escape") << QKeySequence(Qt::Key_Escape) << "closed";
        QTest::newRow("Alt+S") << QKeySequence(Qt::ALT | Qt::Key_S) << "Snooze";
    }
    void alarmWindowKeys()
    {
        QFETCH(QKeySequence, keys);
        QFETCH(QString, answer);
        alarmwind window;
        QSignalSpy ok(&window, &alarmwind::okClicked);
        QSignalSpy snooze(&window, &alarmwind::snoozeClicked);
        QSignalSpy closed(&window, &alarmwind::closed);
        window.showAlarm(QStringLiteral("07:30:00 AM"), QStringLiteral("12/24/26"),
                         QStringLiteral("Take the pills"));
        QVERIFY(QTest::qWaitForWindowActive(&window));
        QAccessibleInterface *alert = QAccessible::queryAccessibleInterface(&window);
        QCOMPARE(alert->role(), QAccessible::AlertMessage);
        QCOMPARE(alert->text(QAccessible::Name), "Alarm, 07:30:00 AM");
        QVERIFY(alert->text(QAccessible::Description).contains("12/24/26: Take the pills."));
        // Through the window system, as a key comes to whatever has the focus.
        QTest::keySequence(window.windowHandle(), keys);
        QCOMPARE(ok.count(), answer == "OK" ? 1 : 0);
        QCOMPARE(snooze.count(), answer == "Snooze" ? 1 : 0);
        QCOMPARE(closed.count(), answer == "closed" ? 1 : 0);
    }
};

QTEST_MAIN(TestDisplay)
#include "tst_display.moc"
