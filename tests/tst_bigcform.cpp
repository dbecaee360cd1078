#include "app/bigcform.h"
#include "display/ledclock.h"
#include "testseams.h"

#include <QAction>
#include <QLabel>
#include <QMenu>
#include <QScreen>
#include <QTest>

class TestBigCForm final : public QObject {
    Q_OBJECT

private Q_SLOTS:
    void init()
    {
        m_folder = std::make_unique<ProgramFolder>();
        m_program = std::make_unique<TestProgram>(*m_folder);
        QVERIFY(m_program->bas.startprogram());
        m_form = m_program->bas.form();
        QVERIFY(QTest::qWaitForWindowExposed(m_form));
    }

    void cleanup()
    {
        m_form = nullptr;
        m_program.reset();
        m_folder.reset();
    }

    void startsShownAtTheTopCentre()
    {
        QVERIFY(m_form->isVisible());
        QVERIFY(m_form->windowFlags().testFlag(Qt::WindowStaysOnTopHint));
        QVERIFY(m_form->windowFlags().testFlag(Qt::FramelessWindowHint));
        const QRect screen = m_form->screen()->geometry();
        QCOMPARE(m_form->y(), screen.top());
        QVERIFY(qAbs(m_form->geometry().center().x() - screen.center().x()) <= 1);
        QCOMPARE(m_form->size(), QSize(199, 67)); // 2985 x 1010 twips
        QCOMPARE(m_form->TheDate()->text(), dateText());
        QCOMPARE(m_form->hideshow()->text(), QStringLiteral("Hide Time"));
        QCOMPARE(m_form->trayIcon()->toolTip(), QStringLiteral("Right Click For Popup"));
        const QIcon icon = m_form->trayIcon()->icon();
        QCOMPARE(icon.availableSizes(), (QList<QSize>{{16, 16}, {32, 32}}));
        QCOMPARE(icon.pixmap(32).toImage().pixelColor(10, 20), QColor(Qt::black)); // the face
    }

    void menuHasItsCaptionsInOrder()
    {
        QStringList captions;
        for (QAction *action : m_form->mPopupSys()->actions())
            captions.append(action->isSeparator() ? QStringLiteral("-") : action->text());
        QCOMPARE(captions,
                 (QStringList{"Hide Time", "-", "Alarms", "Options", "About", "-", "Exit..."}));
    }

    void hideAndShowSwitchTheCaption()
    {
        const QPoint where = m_form->pos();
        m_form->hideshow()->trigger();
        QVERIFY(!m_form->isVisible());
        QVERIFY(!m_form->state.isshowing);
        QCOMPARE(m_form->hideshow()->text(), QStringLiteral("Show Time"));

        m_form->hideshow()->trigger();
        QVERIFY(m_form->isVisible());
        QVERIFY(m_form->state.isshowing);
        QCOMPARE(m_form->hideshow()->text(), QStringLiteral("Hide Time"));
        QCOMPARE(m_form->pos(), where);
    }

    void trayDoubleClickShowsTheClock()
    {
        m_form->hideshow()->trigger();
        QVERIFY(!m_form->isVisible());
        Q_EMIT m_form->trayIcon()->activated(QSystemTrayIcon::Trigger);
        QVERIFY(!m_form->isVisible());
        Q_EMIT m_form->trayIcon()->activated(QSystemTrayIcon::DoubleClick);
        QVERIFY(m_form->isVisible());
        QVERIFY(m_form->state.isshowing);
        QCOMPARE(m_form->hideshow()->text(), QStringLiteral("Hide Time"));
    }

    void rightClickOnTheDigitsOpensTheMenu()
    {
        QTest::mouseClick(m_form->display(), Qt::RightButton, {}, QPoint(40, 20));
        QTRY_VERIFY(m_form->mPopupSys()->isVisible());
        m_form->mPopupSys()->hide();

        // The date line drags but opens nothing.
        QTest::mouseClick(m_form->TheDate(), Qt::RightButton, {}, QPoint(20, 5));
        QCoreApplication::processEvents();
        QVERIFY(!m_form->mPopupSys()->isVisible());
    }

    void aboutSpeaksThroughTheMessageBox()
    {
        m_form->findChild<QAction *>(QStringLiteral("About"))->trigger();
        QCOMPARE(m_program->dialogs.messages.size(), 1);
        const QStringList lines = m_program->dialogs.messages.first().split(QLatin1Char('\n'));
        QCOMPARE(lines.size(), 3);
        QVERIFY(lines.at(0).contains(QStringLiteral("Tockaro")));
        QVERIFY(lines.at(1).contains(QStringLiteral("https://")));
        QVERIFY(lines.at(2).isEmpty());
    }

    void exitEndsTheProgramAndRemovesTheIcon()
    {
        m_form->findChild<QAction *>(QStringLiteral("Exit"))->trigger();
        QCOMPARE(m_program->end.requests, 1);
        QVERIFY(!m_form->trayIcon()->isVisible());
    }

    void closingTheClockEndsTheProgram()
    {
        m_form->close();
        QCOMPARE(m_program->end.requests, 1);
        QVERIFY(!m_form->trayIcon()->isVisible());
    }

    void tickShowsThePresentTime()
    {
        m_program->clock.set(QDateTime(QDate(2026, 12, 7), QTime(13, 7, 0)));
        using Digits = std::array<int, LedLayout::DigitCount>;
        QTRY_COMPARE(m_form->display()->shownDigits(), (Digits{0, 1, 0, 7, 0, 0}));
        m_form->state.ampm = 1;
        QTRY_COMPARE(m_form->display()->shownDigits(), (Digits{1, 3, 0, 7, 0, 0}));
    }

    void dateLineFollowsMidnightAndSize()
    {
        m_program->clock.set(QDateTime(QDate(2026, 12, 8), QTime(0, 0, 0)));
        QTRY_COMPARE(m_form->TheDate()->text(), dateText());
        m_form->state.adjustsize = 40;
        QTRY_VERIFY(!m_form->TheDate()->isVisible());
        m_form->state.adjustsize = 50;
        QTRY_VERIFY(m_form->TheDate()->isVisible());
    }

    void sizingKeepsTheCornerAndTheVisibility()
    {
        const QPoint where = m_form->pos();
        m_form->Sizing(50);
        QCOMPARE(m_form->size(), QSize(121, 44)); // 1815 x 665 twips
        QCOMPARE(m_form->pos(), where);
        QCOMPARE(m_form->display()->geometry(), QRect(1, 12, 117, 29));
        QCOMPARE(m_form->TheDate()->font().pointSize(), 5);

        m_form->hideshow()->trigger();
        m_form->Sizing(100);
        QVERIFY(!m_form->isVisible());
        QCOMPARE(m_form->size(), QSize(199, 67));
        QCOMPARE(m_form->TheDate()->font().pointSize(), 7);
    }

    void dragMovesTheWindowOnTheGrid()
    {
        LedClock *display = m_form->display();
        m_form->move(m_form->screen()->geometry().topLeft() + QPoint(300, 200));
        const QPoint start = m_form->pos();
        const QPoint grab(60, 30);
        QTest::mousePress(display, Qt::LeftButton, {}, grab);
        QCOMPARE(display->cursor().shape(), Qt::SizeAllCursor);
        QTest::mouseMove(display, grab + QPoint(60, 30));
        QTest::mouseRelease(display, Qt::LeftButton, {}, grab + QPoint(60, 30));
        QCOMPARE(m_form->cursor().shape(), Qt::ArrowCursor);
        // Sixty pixels right and thirty down, give or take the 3-pixel grid.
        const QPoint moved = m_form->pos() - start;
        QVERIFY2(qAbs(moved.x() - 60) <= 3 && qAbs(moved.y() - 30) <= 3,
                 qPrintable(QStringLiteral("%1,%2").arg(moved.x()).arg(moved.y())));
    }

private:
    QString dateText() const
    {
        return QLocale().dayName(m_program->clock.now().date().dayOfWeek()) + QStringLiteral("  ") +
               QString::number(m_program->clock.now().date().day()) + QStringLiteral("  ") +
               QLocale().monthName(m_program->clock.now().date().month()) + QStringLiteral("  ") +
               QString::number(m_program->clock.now().date().year());
    }

    std::unique_ptr<ProgramFolder> m_folder;
    std::unique_ptr<TestProgram> m_program;
    BigCForm *m_form = nullptr;
};

QTEST_MAIN(TestBigCForm)
#include "tst_bigcform.moc"
