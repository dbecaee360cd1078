#include "app/bigcform.h"
#include "display/ledclock.h"
#include "filesizelimit.h"
#include "playback/frmdshow.h"
#include "playback/mediafilter.h"
#include "settings/frmoptions.h"
#include "testseams.h"

#include <QAction>
#include <QCheckBox>
#include <QComboBox>
#include <QLineEdit>
#include <QPushButton>
#include <QRadioButton>
#include <QScreen>
#include <QTest>

namespace {

QByteArray readAll(const QString &path)
{
    QFile f(path);
    return f.open(QIODevice::ReadOnly) ? f.readAll() : QByteArray("(unreadable)");
}

} // namespace

class TestFrmOptions final : public QObject {
    Q_OBJECT

private Q_SLOTS:
    void init() { m_folder = std::make_unique<ProgramFolder>(); }

    void cleanup()
    {
        m_program.reset();
        m_folder.reset();
    }

    void startUpAppliesTheSettingsFile()
    {
        m_folder->write(QStringLiteral("chime.mp3"), "ID3");
        start("True\r\n" + m_folder->file(QStringLiteral("chime.mp3")).toUtf8() +
              "\r\n1\r\n1\r\n5\r\n");
        QVERIFY(form()->isVisible());
        QVERIFY(!options()->hidecheck()->isChecked());
        QCOMPARE(options()->mhcfile()->text(), m_folder->file(QStringLiteral("chime.mp3")));
        QVERIFY(options()->Check2()->isChecked());
        QVERIFY(options()->hour24()->isChecked());
        QCOMPARE(options()->comsizepercent()->currentText(), QStringLiteral("50%"));
        QCOMPARE(form()->state.ampm, 1);
        QCOMPARE(form()->state.adjustsize, 50);
        QCOMPARE(form()->size(), QSize(121, 44));
    }

    void hiddenAtStartLeavesOnlyTheTrayIcon()
    {
        start("False\r\n");
        QVERIFY(!form()->isVisible());
        QVERIFY(form()->trayIcon()->isVisible());
        QCOMPARE(form()->hideshow()->text(), QStringLiteral("Show Time"));
        QVERIFY(options()->hidecheck()->isChecked());
    }

    void emptyFileGivesTheDefaults()
    {
        start("");
        QVERIFY(!form()->isVisible());
        QCOMPARE(options()->mhcfile()->text(),
                 m_folder->path() + QStringLiteral("/Sounds/chimering.MP3"));
        QVERIFY(!options()->Check2()->isChecked());
        QVERIFY(options()->hourampm()->isChecked());
        QCOMPARE(options()->comsizepercent()->currentText(), QStringLiteral("100%"));
        QCOMPARE(form()->state.adjustsize, 100);
    }

    void dialogIsTopmostAndCentredWhenFirstShown()
    {
        start("True\r\n");
        form()->findChild<QAction *>(QStringLiteral("mopts"))->trigger();
        QVERIFY(QTest::qWaitForWindowExposed(options()));
        QVERIFY(options()->windowFlags().testFlag(Qt::WindowStaysOnTopHint));
        QCOMPARE(options()->windowTitle(), QStringLiteral("Options"));
        const QPoint centre = form()->screen()->availableGeometry().center();
        // Within the window frame's few pixels.
        QVERIFY2((options()->geometry().center() - centre).manhattanLength() <= 8,
                 qPrintable(QStringLiteral("%1,%2 vs %3,%4")
                                .arg(options()->geometry().center().x())
                                .arg(options()->geometry().center().y())
                                .arg(centre.x())
                                .arg(centre.y())));
    }

    void cancelKeepsWhatWasLeftInTheDialog()
    {
        start("True\r\n\r\n0\r\n0\r\n0\r\n");
        const QByteArray before = readAll(m_program->bas.confFilePath);
        options()->showOptions();
        options()->hour24()->setChecked(true);
        options()->comsizepercent()->setCurrentIndex(5);
        QTest::mouseClick(options()->Command4(), Qt::LeftButton);
        QVERIFY(!options()->isVisible());
        QCOMPARE(form()->state.ampm, 0);
        QCOMPARE(form()->state.adjustsize, 100);
        QCOMPARE(readAll(m_program->bas.confFilePath), before);

        // The close box hides the same window, which still shows the changes.
        frmoptions *dialog = options();
        options()->showOptions();
        options()->close();
        QVERIFY(!options()->isVisible());
        form()->findChild<QAction *>(QStringLiteral("mopts"))->trigger();
        QCOMPARE(options(), dialog);
        QVERIFY(options()->isVisible());
        QVERIFY(options()->hour24()->isChecked());
        QCOMPARE(options()->comsizepercent()->currentText(), QStringLiteral("50%"));
    }

    void chimeBoxTakesEffectAtOnce()
    {
        start("True\r\n\r\n1\r\n1\r\n0\r\n", QTime(13, 59, 59));
        const QString chime = options()->mhcfile()->text();
        ScriptedEngineFactory &engines = m_program->engines;

        setTime(QTime(14, 0, 0));
        QTRY_COMPARE(engines.requests.size(), size_t(1));
        QCOMPARE(engines.lastRequests().opened, chime);
        QVERIFY(form()->state.alarmON);
        QVERIFY(!m_program->bas.player()->isVisible()); // an audio chime plays unseen
        m_program->bas.player()->close();
        QVERIFY(!form()->state.alarmON);

        // Cleared and cancelled: the next full hour is silent.
        options()->showOptions();
        options()->Check2()->setChecked(false);
        options()->Command4()->click();
        setTime(QTime(15, 0, 0));
        QCOMPARE(engines.requests.size(), size_t(1));

        // Ticked and cancelled: the next full hour chimes.
        options()->showOptions();
        options()->Check2()->setChecked(true);
        options()->Command4()->click();
        setTime(QTime(16, 0, 0));
        QTRY_COMPARE(engines.requests.size(), size_t(2));
    }

    void okSavesResizesAndSwitchesTheFormat()
    {
        start("True\r\n\r\n0\r\n0\r\n0\r\n", QTime(13, 7, 0));
        const QPoint corner = form()->pos();
        options()->showOptions();
        options()->hour24()->setChecked(true);
        options()->Check2()->setChecked(true);
        options()->comsizepercent()->setCurrentIndex(5);
        QTest::mouseClick(options()->Command3(), Qt::LeftButton);

        QVERIFY(!options()->isVisible());
        QCOMPARE(form()->size(), QSize(121, 44));
        QCOMPARE(form()->pos(), corner);
        const QByteArray expected = "True\r\n" +
                                    (m_folder->path() + "/Sounds/chimering.MP3").toUtf8() +
                                    "\r\n1\r\n1\r\n5\r\n";
        QCOMPARE(readAll(m_program->bas.confFilePath), expected);
        using Digits = std::array<int, LedLayout::DigitCount>;
        QCOMPARE(form()->display()->shownDigits(), (Digits{1, 3, 0, 7, 0, 0}));
        QVERIFY(m_program->dialogs.messages.isEmpty());
    }

    void autoHideSavesFalse()
    {
        start("True\r\n");
        options()->hidecheck()->setChecked(true);
        options()->Command3()->click();
        QVERIFY(readAll(m_program->bas.confFilePath).startsWith("False\r\n"));
        QVERIFY(form()->isVisible()); // it takes effect at the next start
    }

    void browsePicksTheChimeFile()
    {
        start("True\r\n");
        const QString before = options()->mhcfile()->text();
        m_program->dialogs.fileAnswers = {QStringLiteral("/music/bell.wav")};
        options()->Command1()->click();
        QCOMPARE(options()->mhcfile()->text(), QStringLiteral("/music/bell.wav"));
        QCOMPARE(m_program->dialogs.fileFilters, QStringList{kMediaFileFilter});
        options()->Command1()->click(); // cancelled
        QCOMPARE(options()->mhcfile()->text(), QStringLiteral("/music/bell.wav"));
        QVERIFY(before != options()->mhcfile()->text());
    }

    void saveIntoAFolderThatIsAFileReportsWhy()
    {
        start("True\r\n");
        m_folder->write(QStringLiteral("plain"), "x");
        m_program->bas.confFilePath = m_folder->file(QStringLiteral("plain/conf"));
        options()->comsizepercent()->setCurrentIndex(5);
        options()->Command3()->click();

        QCOMPARE(m_program->dialogs.messages.size(), 1);
        QVERIFY(m_program->dialogs.messages.first().contains(QStringLiteral("plain/conf")));
        QVERIFY(!QFile::exists(m_program->bas.confFilePath));
        // The program goes on with the settings chosen.
        QCOMPARE(form()->state.adjustsize, 50);
        QCOMPARE(m_program->end.requests, 0);
    }

#ifdef Q_OS_UNIX
    void fullDiskDuringSaveKeepsTheOldFile()
    {
        start("True\r\n\r\n0\r\n0\r\n0\r\n");
        const QByteArray before = readAll(m_program->bas.confFilePath);
        options()->hour24()->setChecked(true);
        {
            const FileSizeLimit fullDisk(8);
            QVERIFY(fullDisk.active());
            options()->Command3()->click();
        }
        QCOMPARE(readAll(m_program->bas.confFilePath), before);
        QCOMPARE(m_program->dialogs.messages.size(), 1);
        QCOMPARE(form()->state.ampm, 1);
    }
#endif

private:
    void start(const QByteArray &conf, QTime now = QTime(6, 59, 55))
    {
        m_folder->write(QStringLiteral("conf"), conf);
        m_program =
            std::make_unique<TestProgram>(*m_folder, true, QDateTime(QDate(2026, 12, 7), now));
        QVERIFY(m_program->bas.startprogram());
    }

    // Moves the clock and waits until a tick has shown the new time.
    void setTime(QTime time)
    {
        m_program->clock.set(QDateTime(QDate(2026, 12, 7), time));
        using Digits = std::array<int, LedLayout::DigitCount>;
        const Digits shown{time.hour() / 10,   time.hour() % 10,   time.minute() / 10,
                           time.minute() % 10, time.second() / 10, time.second() % 10};
        QTRY_COMPARE(form()->display()->shownDigits(), shown);
    }

    BigCForm *form() const
    {
        return m_program->bas.form();
    }
    frmoptions *options() const
    {
        return m_program->bas.options();
    }

    std::unique_ptr<ProgramFolder> m_folder;
    std::unique_ptr<TestProgram> m_program;
};

QTEST_MAIN(TestFrmOptions)
#include "tst_frmoptions.moc"
