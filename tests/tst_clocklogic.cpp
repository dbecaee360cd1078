#include "app/clocktext.h"
#include "app/commandline.h"
#include "app/dragsnap.h"
#include "app/windowsizing.h"
#include "base/digitpainter.h"
#include "display/ledlayout.h"
#include "platform/systemclock.h"

#include <QTest>
#include <QTimeZone>

#include <limits>

namespace {

const QLocale kUs(QLocale::English, QLocale::UnitedStates);

// A 1920 x 1080 pixel screen and the clock window at 100 %, in twips.
constexpr QSize kScreen(28800, 16200);
constexpr QSize kWindow(2985, 1010);

// 2026-03-29 01:00:00 UTC, when Central European time moves from +1 h to +2 h.
constexpr qint64 kSpringForward = 1774746000000;
constexpr qint64 kNever = std::numeric_limits<qint64>::max();

} // namespace

class TestClockLogic final : public QObject {
    Q_OBJECT
private Q_SLOTS:
    void timeText_data()
    {
        QTest::addColumn<QTime>("time");
        QTest::addColumn<bool>("twentyFourHour");
        QTest::addColumn<QString>("text");
        QTest::newRow("noon, 12 h") << QTime(12, 0) << false << "12:00:00 PM.0";
        QTest::newRow("midnight, 12 h") << QTime(0, 0, 5, 940) << false << "12:00:05 AM.9";
        QTest::newRow("24 h, tenths round") << QTime(23, 59, 59, 960) << true << "23:59:59 .0";
    }
    void timeText()
    {
        QFETCH(QTime, time);
        QFETCH(bool, twentyFourHour);
        QTEST(clockTimeText(time, twentyFourHour, kUs), "text");
    }
    void dateLine() { QCOMPARE(dateLineText({2026, 12, 6}, kUs), "Sunday  6  December  2026"); }

    // The painter's offset and its next change hold until it comes, or the zone or format changes.
    void digitTimeRule_data()
    {
        QTest::addColumn<QDateTime>("made");
        QTest::addColumn<QList<qint64>>("rule"); // offset, change (ms), offset after
        QTest::addColumn<QDateTime>("later");
        QTest::addColumn<bool>("holds");
        const QTimeZone berlin("Europe/Berlin");
        const QDateTime winter(QDate(2026, 3, 28), QTime(12, 0), berlin);
        const QDateTime utc(QDate(2026, 3, 28), QTime(12, 0), Qt::UTC);
        const QList<qint64> spring{3600, kSpringForward, 7200};
        QTest::newRow("a day before spring") << winter << spring << winter.addSecs(3600) << true;
        QTest::newRow("the change has come") << winter << spring << winter.addDays(1) << false;
        QTest::newRow("another zone") << winter << spring << utc << false;
        QTest::newRow("UTC never changes") << utc << QList<qint64>{0, kNever, 0} << utc << true;
    }
    void digitTimeRule()
    {
        QFETCH(QDateTime, made);
        QFETCH(QList<qint64>, rule);
        QFETCH(QDateTime, later);
        const DigitPainter::TimeRule made24 = ::digitTimeRule(made, true);
        const qint64 change = made24.offsetChangesAt * (rule[1] == kNever ? 1 : 1000);
        QCOMPARE((QList<qint64>{made24.offsetSeconds, change, made24.offsetAfter}), rule);
        QTEST(digitTimeRuleHolds(made24, later, true), "holds");
        QVERIFY(!digitTimeRuleHolds(made24, made, false));
    }

    void drag_data()
    {
        QTest::addColumn<QPoint>("window");
        QTest::addColumn<QPoint>("pointer");
        QTest::addColumn<QPoint>("grab");
        QTest::addColumn<QPoint>("expected");
        const QPoint o(0, 0), at(9000, 4500), g(600, 300);
        QTest::newRow("onto the grid") << at << g << g << QPoint(8985, 4470);
        QTest::newRow("left within 100 snaps")
            << at << QPoint(-8300, 300) << QPoint(580, 300) << QPoint(0, 4470);
        QTest::newRow("left at 120 stays") << at << QPoint(-8250, 300) << g << QPoint(120, 4470);
        QTest::newRow("past bottom right")
            << QPoint(25000, 14000) << g * 9 << g << QPoint(25815, 15190);
        QTest::newRow("pointer off top left") << o << QPoint(-3000, -3000) << g << o;
    }
    void drag()
    {
        QFETCH(QPoint, window);
        QFETCH(QPoint, pointer);
        QFETCH(QPoint, grab);
        QTEST(draggedWindowPosition({window, kWindow, kScreen, pointer, grab}), "expected");
    }
    void layout_data()
    {
        QTest::addColumn<int>("percent");
        // Lefts of Hr1, Hr2, colon 1, M1, M2, colon 2, S1, S2; digit size; display size.
        QTest::addColumn<QList<double>>("twips");
        QTest::addColumn<int>("datePoints"); // 0: no date line
        QTest::newRow("100 %") << 100 << QList<double>{45,   510,  945, 1065, 1500, 1935,
                                                       2055, 2490, 390, 690,  2925, 780}
                               << 7;
        QTest::newRow("60 %") << 60 << QList<double>{} << 5;
        QTest::newRow("40 %") << 40 << QList<double>{} << 0;
        QTest::newRow("33 %, colons rounded down")
            << 33 << QList<double>{45,   248.7,  422,   542,   715.7,  889,
                                   1009, 1182.7, 128.7, 227.7, 1356.4, 317.7}
            << 0;
    }
    void layout()
    {
        QFETCH(int, percent);
        QFETCH(QList<double>, twips);
        const ClockWindowLayout window = clockWindowLayout(percent);
        const LedLayout &l = window.led;
        QCOMPARE(window.windowWidth, l.width + 60);
        QCOMPARE(window.windowHeight, l.height + 230);
        QTEST(dateLineShown(percent) ? window.dateFontPoints : 0, "datePoints");
        const auto &d = l.digits;
        const QList<double> layout = {
            d[0].left(),   d[1].left(), l.dots[LedLayout::Image2].left(),
            d[2].left(),   d[3].left(), l.dots[LedLayout::S_DoubleDot].left(),
            d[4].left(),   d[5].left(), d[0].width(),
            d[0].height(), l.width,     l.height};
        // The layout's numbers are single-precision.
        for (qsizetype i = 0; i < twips.size(); ++i)
            QCOMPARE(float(layout[i]), float(twips[i]));
    }
    void commandLine_data()
    {
        QTest::addColumn<QStringList>("arguments");
        QTest::addColumn<CommandLine>("read");
        const auto ask = [](RemoteAction action) {
            return CommandLine{CommandLineAction::Ask, action};
        };
        QTest::newRow("nothing runs the clock") << QStringList{} << CommandLine{};
        QTest::newRow("Qt's options are Qt's")
            << QStringList{"-platform", "xcb", "--sync"} << CommandLine{};
        QTest::newRow("an action among Qt's options")
            << QStringList{"-display", ":1", "--snooze"} << ask(RemoteAction::Snooze);
        QTest::newRow("--stop") << QStringList{"--stop"} << ask(RemoteAction::Stop);
        QTest::newRow("an action twice is one")
            << QStringList{"--list", "--list"} << ask(RemoteAction::List);
        QTest::newRow("two actions are an error")
            << QStringList{"--snooze", "--stop"} << CommandLine{CommandLineAction::UsageError};
        QTest::newRow("a word is an error")
            << QStringList{"snooze"} << CommandLine{CommandLineAction::UsageError};
        QTest::newRow("--help beside an action")
            << QStringList{"--next", "--help"} << CommandLine{CommandLineAction::PrintHelp};
    }

    void commandLine()
    {
        QFETCH(QStringList, arguments);
        QTEST(readCommandLine(arguments), "read");
    }

    void askReport_data()
    {
        QTest::addColumn<RemoteAction>("action");
        QTest::addColumn<AskResult>("result");
        QTest::addColumn<AskReport>("report");
        const auto replied = [](bool done, const QString &text) {
            return AskResult{AskOutcome::Answered, {done, text}};
        };
        QTest::newRow("nothing rings to stop")
            << RemoteAction::Stop << replied(false, {})
            << AskReport{1, {}, "Tockaro: nothing rings, so there is no alarm to stop.\n"};
        QTest::newRow("no copy runs")
            << RemoteAction::List << AskResult{AskOutcome::NotRunning}
            << AskReport{1,
                         {},
                         "Tockaro is not running from this folder, so it cannot list the "
                         "alarms.\n"};
        QTest::newRow("another user's socket")
            << RemoteAction::Stop << AskResult{AskOutcome::OtherUser, {}, "the socket /s"}
            << AskReport{1,
                         {},
                         "Tockaro: the socket /s is another user's: it was not asked to "
                         "stop an alarm.\n"};
        QTest::newRow("no answer within a second")
            << RemoteAction::Show << AskResult{AskOutcome::NoAnswer}
            << AskReport{1,
                         {},
                         "Tockaro runs, but did not answer within a second, so it may "
                         "not show its clock: it is busy with another request, or "
                         "stopped. Try again.\n"};
    }

    void askReport()
    {
        QFETCH(RemoteAction, action);
        QFETCH(AskResult, result);
        QFETCH(AskReport, report);
        const AskReport told = ::askReport(action, result);
        QCOMPARE(told.err, report.err);
        QCOMPARE(told.out, report.out);
        QCOMPARE(told.status, report.status);
    }

    // Each action goes as its line and comes back; what is not a request or
    // a reply is none; --help names every action.
    void requestLines()
    {
        for (const RemoteAction action :
             {RemoteAction::Show, RemoteAction::Snooze, RemoteAction::Stop, RemoteAction::Next,
              RemoteAction::List}) {
            const QByteArray line = requestLine(action);
            QCOMPARE(readRequest(line), action);
            QVERIFY(commandLineUsage().contains(QLatin1String("  --") + line.chopped(1)));
        }
        QCOMPARE(readRequest(""), RemoteAction::Show);
        for (const QByteArrayView wrong : {"snooze", "snooze \n", "bogus\n", "\n"})
            QCOMPARE(readRequest(wrong), std::nullopt);
        const RemoteReply reply{true, QStringLiteral("1\tCaf\u00e9\n")};
        QCOMPARE(readReply(replyBytes(reply)), reply);
        QCOMPARE(readReply(replyBytes({})), RemoteReply{});
        QCOMPARE(readReply("1\tCaf"), std::nullopt);
    }

    // The zone is looked up once a minute, yet its change of offset shows at once.
    void localZone()
    {
        int lookups = 0;
        LocalZoneCache cache([&lookups] {
            ++lookups;
            return QTimeZone("Europe/Berlin");
        });
        QCOMPARE(cache.localTime(kSpringForward - 60000).time(), QTime(1, 59));
        QCOMPARE(cache.localTime(kSpringForward - 1).time(), QTime(1, 59, 59, 999));
        QCOMPARE(cache.localTime(kSpringForward).time(), QTime(3, 0));
        QCOMPARE(lookups, 2);
        QCOMPARE(cache.localTime(kSpringForward).timeZone(), QTimeZone("Europe/Berlin"));
    }
};

QTEST_GUILESS_MAIN(TestClockLogic)
#include "tst_clocklogic.moc"
