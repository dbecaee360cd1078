// Times Add in the alarm list: from the button press to the editor on screen
// (shown and painted once), the first time in the process and later. Prints
// the figures; asserts nothing. Runs on the offscreen platform unless
// QT_QPA_PLATFORM says otherwise (xcb on a real X server gives real figures).

#include "alarms/alarmstore.h"
#include "alarms/frmaaddalarm.h"
#include "alarms/frmalarms.h"
#include "platform/qtdialogs.h"
#include "platform/systemclock.h"
#include "settings/conffile.h"

#include <QApplication>
#include <QDeadlineTimer>
#include <QElapsedTimer>
#include <QPushButton>

#include <algorithm>
#include <cstdio>
#include <vector>

namespace {

constexpr int kLaterRounds = 50;

// The table in memory: the editor is only opened and cancelled here.
class BenchStore final : public AlarmStore {
public:
    const AlarmSlots &alarms() const override { return m_alarms; }
    int alarmCount() const override { return 0; }
    void deleteAlarm(int) override {}
    void storeAlarm(int, const AlarmRecord &) override {}
    bool savealarms() override { return true; }
    const UnsavedAlarms &unsaved() const override { return m_unsaved; }
    bool isEditorOpen() const override { return m_open; }
    void setEditorOpen(bool open) override { m_open = open; }

private:
    AlarmSlots m_alarms{};
    UnsavedAlarms m_unsaved;
    bool m_open = false;
};

// Notes the first paint of the window it watches.
class PaintWatch final : public QObject {
public:
    bool painted = false;

protected:
    bool eventFilter(QObject *, QEvent *event) override
    {
        painted = painted || event->type() == QEvent::Paint;
        return false;
    }
};

// Milliseconds from the press of Add to the editor's first paint.
double pressAdd(QPushButton &add)
{
    QElapsedTimer timer;
    timer.start();
    add.click();
    frmaaddalarm *editor = nullptr;
    for (QWidget *window : QApplication::topLevelWidgets()) {
        if (auto *found = qobject_cast<frmaaddalarm *>(window))
            editor = found;
    }
    PaintWatch watch;
    editor->installEventFilter(&watch);
    const QDeadlineTimer deadline(5000);
    while (!watch.painted && !deadline.hasExpired())
        QCoreApplication::processEvents(QEventLoop::AllEvents, 5);
    const double ms = static_cast<double>(timer.nsecsElapsed()) / 1e6;
    editor->removeEventFilter(&watch);
    editor->reject();
    QCoreApplication::sendPostedEvents(nullptr, QEvent::DeferredDelete);
    return ms;
}

} // namespace

int main(int argc, char *argv[])
{
    if (qEnvironmentVariableIsEmpty("QT_QPA_PLATFORM"))
        qputenv("QT_QPA_PLATFORM", "offscreen");
    QApplication app(argc, argv);

    BenchStore store;
    QtDialogs dialogs;
    SystemClock clock;
    Settings settings;
    frmalarms list(store, dialogs, clock, settings);
    list.show();
    auto *add = list.findChild<QPushButton *>(QStringLiteral("Cmdadd"));

    std::printf("platform %s\n", qPrintable(QGuiApplication::platformName()));
    std::printf("Add to editor shown, first time   %8.3f ms\n", pressAdd(*add));
    std::vector<double> later;
    for (int round = 0; round < kLaterRounds; ++round)
        later.push_back(pressAdd(*add));
    std::sort(later.begin(), later.end());
    std::printf(
        "Add to editor shown, later        median %7.3f ms   slowest %7.3f ms   (%d rounds)\n",
        later[later.size() / 2], later.back(), kLaterRounds);
    return 0;
}
