// Measures a ringing alarm on the X server in DISPLAY and the PulseAudio
// server of XDG_RUNTIME_DIR (a null sink named nullsink):
//  - from the alarm's due second to its "Alarm" window being mapped;
//  - from the due second to its sound reaching the sink, for the first alarm
//    of a run of the program and for the alarms after it, apart;
//  - the longest silence and the share of the span that sounds while the
//    built-in Bells repeats, and the program's CPU time then, against the
//    same sound repeating in the player alone (soundloop);
//  - resident memory idle, after the first alarm has rung and its window
//    closed, and over many alarms rung one after the other.
// Each run writes alarms due some whole seconds ahead on the real clock into
// the program folder and starts the program; the first run warms the caches
// and is printed apart. Each alarm is answered by closing its window, but for
// the many rung for the memory: those are snoozed for a minute with a click
// on Snooze, so that the 300 alarms a table holds ring again and again.
//
// The sound is found by recording the sink's monitor with a short latency and
// looking for the first sample that is not silence. A sink input appearing
// would only say that a stream was opened; the monitor shows the moment the
// sink renders the first decoded sound, which is what a sleeper hears. Each
// sample is dated from the monitor's own sample count: the earliest arrival
// of any block, less the samples before it, fixes when sample zero was
// recorded, so the date of a sample does not depend on how late its block
// happened to be read.
//
// usage: alarmbench PROGRAM_FOLDER SOUNDLOOP LOOP_FOLDER [RUNS [SECONDS [RINGS]]]
#include "alarms/alarmrecord.h"

#include <QDateTime>
#include <QLocale>

#include <X11/Xlib.h>
#include <X11/extensions/XTest.h>

#include <algorithm>
#include <array>
#include <cctype>
#include <cmath>
#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <ctime>
#include <fcntl.h>
#include <filesystem>
#include <fstream>
#include <functional>
#include <optional>
#include <signal.h>
#include <sstream>
#include <string>
#include <sys/select.h>
#include <sys/wait.h>
#include <unistd.h>
#include <vector>

namespace {

constexpr int kRate = 44100;
constexpr int kChannels = 2;
constexpr int kFrameBytes = kChannels * 2;
// Quieter than this is silence; a null sink with nothing playing gives zeros.
constexpr int kSilence = 16;
// The share of a span that sounds is counted in blocks of this many frames.
constexpr int kBlockFrames = kRate / 100;
// A silence this long while a sound repeats means the repeat stopped.
constexpr double kStoppedRepeatSeconds = 5;
// Alarms of one run of the program, and the seconds between them: more than
// the few seconds ahead at which the program readies an alarm's sound.
constexpr int kAlarmsPerRun = 4;
constexpr int kAlarmSpacing = 8;
// As many as the alarm table holds.
constexpr int kMostAlarms = 300;
// The middle of the "Alarm" window's Snooze button, from its top left corner,
// in pixels: the window's design in twips, at 15 twips a pixel.
constexpr int kSnoozeX = (4080 + 1335 / 2) / 15;
constexpr int kSnoozeY = (5280 + 375 / 2) / 15;

double wallSeconds()
{
    timespec ts{};
    clock_gettime(CLOCK_REALTIME, &ts);
    return static_cast<double>(ts.tv_sec) + static_cast<double>(ts.tv_nsec) / 1e9;
}

std::string windowName(Display *display, Window window)
{
    char *name = nullptr;
    std::string result;
    if (XFetchName(display, window, &name) && name)
        result = name;
    if (name)
        XFree(name);
    return result;
}

double median(std::vector<double> values)
{
    if (values.empty())
        return NAN;
    std::sort(values.begin(), values.end());
    const size_t n = values.size();
    return n % 2 ? values[n / 2] : (values[n / 2 - 1] + values[n / 2]) / 2;
}

double worst(const std::vector<double> &values)
{
    return values.empty() ? NAN : *std::max_element(values.begin(), values.end());
}

struct ProcessStat {
    pid_t parent = 0;
    double ownTicks = 0;   // utime and stime
    double endedTicks = 0; // cutime and cstime: the children it has reaped
};

ProcessStat processStat(const std::string &pid)
{
    std::ifstream stat("/proc/" + pid + "/stat");
    std::string text((std::istreambuf_iterator<char>(stat)), std::istreambuf_iterator<char>());
    const size_t end = text.rfind(')');
    ProcessStat result;
    if (end == std::string::npos)
        return result;
    std::istringstream fields(text.substr(end + 2));
    std::string field;
    // The state is the 3rd field, the parent the 4th, utime to cstime the 14th to 17th.
    for (int number = 3; number <= 17 && fields >> field; ++number) {
        if (number == 4)
            result.parent = std::stoi(field);
        else if (number >= 16)
            result.endedTicks += std::stod(field);
        else if (number >= 14)
            result.ownTicks += std::stod(field);
    }
    return result;
}

// The processes whose parent is `pid`: the clock's sound program.
std::vector<std::string> childrenOf(pid_t pid)
{
    std::vector<std::string> children;
    for (const auto &entry : std::filesystem::directory_iterator("/proc")) {
        const std::string name = entry.path().filename();
        if (std::isdigit(static_cast<unsigned char>(name[0])) && processStat(name).parent == pid)
            children.push_back(name);
    }
    return children;
}

// CPU time in ms of the process and of the sound programs it runs or ran,
// threads that have ended included: the player's pipelines come and go with
// each repeat of the sound, and the per-thread counters of the threads still
// alive would miss theirs.
double cpuMs(pid_t pid)
{
    const ProcessStat own = processStat(std::to_string(pid));
    double ticks = own.ownTicks + own.endedTicks;
    for (const std::string &child : childrenOf(pid)) {
        const ProcessStat stat = processStat(child);
        ticks += stat.ownTicks + stat.endedTicks;
    }
    return ticks * 1000.0 / static_cast<double>(sysconf(_SC_CLK_TCK));
}

struct FileSilence {
    double leadingMs = NAN;
    double trailingMs = NAN;
};

// How far into a 16-bit PCM WAV file its first sound lies and how long it
// ends in silence, in ms: the sink hears nothing there, though the file plays.
FileSilence fileSilence(const std::string &path)
{
    std::ifstream file(path, std::ios::binary);
    const std::string data((std::istreambuf_iterator<char>(file)),
                           std::istreambuf_iterator<char>());
    const auto word = [&data](size_t at, int bytes) {
        uint32_t value = 0;
        for (int b = bytes - 1; b >= 0; --b)
            value = value << 8 | static_cast<unsigned char>(data[at + b]);
        return value;
    };
    uint32_t channels = 1;
    uint32_t rate = 0;
    for (size_t chunk = 12; chunk + 8 <= data.size(); chunk += 8 + word(chunk + 4, 4)) {
        const std::string id = data.substr(chunk, 4);
        if (id == "fmt ") {
            channels = word(chunk + 10, 2);
            rate = word(chunk + 12, 4);
        } else if (id == "data" && rate) {
            const size_t begin = chunk + 8;
            const size_t end = std::min<size_t>(data.size(), begin + word(chunk + 4, 4));
            const auto loud = [&](size_t at) {
                return std::abs(static_cast<int16_t>(word(at, 2))) > kSilence;
            };
            const auto ms = [&](size_t bytes) {
                return static_cast<double>(bytes / 2 / channels) * 1000 / rate;
            };
            size_t first = begin;
            while (first + 2 <= end && !loud(first))
                first += 2;
            size_t last = end;
            while (last > first + 2 && !loud(last - 2))
                last -= 2;
            return {ms(first - begin), ms(end - last)};
        }
    }
    return {};
}

bool writeFile(const std::string &path, const std::string &text)
{
    std::ofstream file(path, std::ios::binary | std::ios::trunc);
    file << text;
    return static_cast<bool>(file.flush());
}

// A daily alarm with the built-in "Bells" at the local time of `due`, nothing
// else: no sleep (never a power-off from a benchmark), no fade, no playlist;
// snoozed, it rings again a minute later.
std::string alarmLine(double dueSeconds)
{
    AlarmRecord alarm;
    alarm.message = QStringLiteral("Wake up");
    alarm.frequency = AlarmFrequency::Daily;
    alarm.timeText = QDateTime::fromSecsSinceEpoch(static_cast<qint64>(dueSeconds))
                         .toString(QStringLiteral("HH:mm:ss"));
    alarm.alarmDate = QDate(2026, 12, 24);
    alarm.dayFlags = QStringLiteral("1111111");
    alarm.fadeMinutes = 30;
    alarm.snoozeMinutes = QStringLiteral("1");
    alarm.soundIndex = 3; // Bells
    // In the program's own form: the locale of this run is the program's too.
    return (formatAlarmLine(alarm, QLocale()) + QStringLiteral("\r\n")).toLocal8Bit().toStdString();
}

pid_t launch(const std::vector<std::string> &command, const std::string &log)
{
    const pid_t pid = fork();
    if (pid == 0) {
        setenv("QT_QPA_PLATFORM", "xcb", 1);
        const int fd = open(log.c_str(), O_WRONLY | O_CREAT | O_APPEND, 0644);
        if (fd >= 0) {
            dup2(fd, STDOUT_FILENO);
            dup2(fd, STDERR_FILENO);
        }
        std::vector<char *> argv;
        for (const std::string &word : command)
            argv.push_back(const_cast<char *>(word.c_str()));
        argv.push_back(nullptr);
        execvp(argv[0], argv.data());
        _exit(127);
    }
    return pid;
}

// Starts a command whose output is read through a pipe that never blocks the reader.
pid_t readFrom(const std::vector<std::string> &command, int &fd)
{
    int ends[2];
    if (pipe(ends) != 0)
        return -1;
    const pid_t pid = fork();
    if (pid == 0) {
        dup2(ends[1], STDOUT_FILENO);
        close(ends[0]);
        close(ends[1]);
        std::vector<char *> argv;
        for (const std::string &word : command)
            argv.push_back(const_cast<char *>(word.c_str()));
        argv.push_back(nullptr);
        execvp(argv[0], argv.data());
        _exit(127);
    }
    close(ends[1]);
    fcntl(ends[0], F_SETFL, O_NONBLOCK);
    fd = ends[0];
    return pid;
}

void stop(pid_t pid, int signal = SIGTERM)
{
    kill(pid, signal);
    waitpid(pid, nullptr, 0);
}

// The X server and the sink's monitor, read together.
class Watch final {
public:
    Watch(Display *display, int monitorFd) : m_display(display), m_monitor(monitorFd) {}

    // Runs until `done` holds or the wall clock passes `until`.
    template <typename Done> bool pumpUntil(double until, Done done)
    {
        while (!done()) {
            if (wallSeconds() >= until)
                return false;
            pumpOnce();
        }
        return true;
    }

    void pumpFor(double seconds)
    {
        pumpUntil(wallSeconds() + seconds, [] { return false; });
    }

    // From now on, note the next "Alarm" mapped and the next sound.
    void arm()
    {
        m_alarmMapped.reset();
        m_alarmWindow = 0;
        m_firstSound.reset();
        m_armedFrame = m_frames;
    }

    std::optional<double> alarmMapped() const { return m_alarmMapped; }

    // Answers the alarm as its close box would: the window's manager asks it to
    // close (there is none here, so the bench asks); or snoozes it with a
    // click on Snooze. Armed first, since the next alarm may show its window
    // at once.
    void answerAlarm(bool snooze)
    {
        const Window window = m_alarmWindow;
        arm();
        if (!window)
            return;
        if (snooze) {
            int x = 0;
            int y = 0;
            Window child = 0;
            XTranslateCoordinates(m_display, window, DefaultRootWindow(m_display), kSnoozeX,
                                  kSnoozeY, &x, &y, &child);
            XTestFakeMotionEvent(m_display, -1, x, y, CurrentTime);
            XTestFakeButtonEvent(m_display, 1, True, CurrentTime);
            XTestFakeButtonEvent(m_display, 1, False, CurrentTime);
            XFlush(m_display);
            return;
        }
        XEvent event{};
        event.xclient.type = ClientMessage;
        event.xclient.window = window;
        event.xclient.message_type = XInternAtom(m_display, "WM_PROTOCOLS", False);
        event.xclient.format = 32;
        event.xclient.data.l[0] =
            static_cast<long>(XInternAtom(m_display, "WM_DELETE_WINDOW", False));
        event.xclient.data.l[1] = CurrentTime;
        XSendEvent(m_display, window, False, NoEventMask, &event);
        XFlush(m_display);
    }

    // A program just stopped leaves the sound it had sent to the sink playing
    // for a moment; it must not pass for the next run's.
    void waitForSilence()
    {
        const int64_t quietFrames = kRate * 3 / 10;
        pumpUntil(wallSeconds() + 5,
                  [this, quietFrames] { return m_frames - m_lastLoudFrame > quietFrames; });
    }

    // The wall-clock time the first sound after arm() was recorded.
    std::optional<double> firstSound() const
    {
        if (!m_firstSound)
            return std::nullopt;
        return m_frameZero + static_cast<double>(*m_firstSound) / kRate;
    }

    void countBlocks()
    {
        m_blocks = 0;
        m_soundBlocks = 0;
        m_silentRun = 0;
        m_longestSilentRun = 0;
    }
    double soundShare() const { return m_blocks ? 100.0 * m_soundBlocks / m_blocks : NAN; }
    // The longest run of silent samples since countBlocks, in seconds: the gap
    // between two plays of a repeating sound, or a repeat that has stopped.
    double longestSilence() const { return static_cast<double>(m_longestSilentRun) / kRate; }

private:
    void pumpOnce()
    {
        const int xfd = ConnectionNumber(m_display);
        fd_set fds;
        FD_ZERO(&fds);
        FD_SET(xfd, &fds);
        FD_SET(m_monitor, &fds);
        timeval tv{0, 2000};
        if (!XPending(m_display))
            select(std::max(xfd, m_monitor) + 1, &fds, nullptr, nullptr, &tv);
        // Both pipes are read whether or not select ran: a read that finds
        // nothing returns at once.
        const double now = wallSeconds();
        while (XPending(m_display)) {
            XEvent event;
            XNextEvent(m_display, &event);
            if (event.type == MapNotify && !m_alarmMapped &&
                windowName(m_display, event.xmap.window) == "Alarm") {
                m_alarmMapped = now;
                m_alarmWindow = event.xmap.window;
            }
        }
        readMonitor();
    }

    void readMonitor()
    {
        std::array<char, 65536> buffer{};
        const ssize_t got = read(m_monitor, buffer.data(), buffer.size());
        // Dated as soon as read: a late date here would shift every sample early.
        const double now = wallSeconds();
        if (got <= 0)
            return;
        m_pending.append(buffer.data(), static_cast<size_t>(got));
        const size_t frames = m_pending.size() / kFrameBytes;
        for (size_t k = 0; k < frames; ++k) {
            bool loud = false;
            for (int c = 0; c < kChannels; ++c) {
                int16_t sample = 0;
                std::memcpy(&sample, m_pending.data() + k * kFrameBytes + c * 2, 2);
                loud = loud || std::abs(static_cast<int>(sample)) > kSilence;
            }
            const int64_t frame = m_frames + static_cast<int64_t>(k);
            if (loud)
                m_lastLoudFrame = frame;
            if (loud && !m_firstSound && frame >= m_armedFrame)
                m_firstSound = frame;
            m_silentRun = loud ? 0 : m_silentRun + 1;
            m_longestSilentRun = std::max(m_longestSilentRun, m_silentRun);
            m_blockLoud = m_blockLoud || loud;
            if (frame % kBlockFrames == kBlockFrames - 1) {
                ++m_blocks;
                m_soundBlocks += m_blockLoud ? 1 : 0;
                m_blockLoud = false;
            }
        }
        m_frames += static_cast<int64_t>(frames);
        m_pending.erase(0, frames * kFrameBytes);
        m_frameZero = std::min(m_frameZero, now - static_cast<double>(m_frames) / kRate);
    }

    Display *m_display;
    int m_monitor;
    std::string m_pending;
    int64_t m_frames = 0;
    double m_frameZero = INFINITY;
    int64_t m_armedFrame = 0;
    int64_t m_lastLoudFrame = 0;
    std::optional<double> m_alarmMapped;
    Window m_alarmWindow = 0;
    std::optional<int64_t> m_firstSound;
    bool m_blockLoud = false;
    int m_blocks = 0;
    int m_soundBlocks = 0;
    int64_t m_silentRun = 0;
    int64_t m_longestSilentRun = 0;
};

struct Setup {
    std::string folder;
    std::string soundloop;
    std::string loopFolder;
    int runs = 5;
    int seconds = 60;
    int rings = 500;
};

// Starts the program with a daily Bells alarm at each of `dues`.
pid_t startWithAlarms(const Setup &setup, const std::vector<double> &dues)
{
    std::string als;
    for (const double due : dues)
        als += alarmLine(due);
    // Clock shown, no chime, 24-hour times.
    if (!writeFile(setup.folder + "/conf", "True\r\n\r\n0\r\n1\r\n0\r\n") ||
        !writeFile(setup.folder + "/als", als))
        return -1;
    return launch({setup.folder + "/tockaro"}, setup.folder + "/bench.log");
}

// A whole second `lead` seconds from now.
double secondAhead(int lead)
{
    return std::floor(wallSeconds()) + lead;
}

struct Ringing {
    double cpuMs = NAN;
    double soundShare = NAN;
    double longestSilence = NAN;
};

// CPU over the span once the sound has rung for a moment, so that neither side
// counts loading the media engine.
Ringing measureRinging(Watch &watch, pid_t pid, int seconds)
{
    watch.pumpFor(2);
    watch.countBlocks();
    const double before = cpuMs(pid);
    watch.pumpFor(seconds);
    Ringing result;
    result.cpuMs = (cpuMs(pid) - before) * 60.0 / seconds;
    result.soundShare = watch.soundShare();
    result.longestSilence = watch.longestSilence();
    stop(pid);
    return result;
}

// Resident memory in MB, in all and by where it lies: the heap (malloc's
// arenas: what the program, Qt and GStreamer allocate), the sound server
// client's shared memory pools, and everything else (code, data, stacks).
struct Memory {
    double total = 0;
    double heap = 0;
    double pulse = 0;

    Memory operator-(const Memory &other) const
    {
        return {total - other.total, heap - other.heap, pulse - other.pulse};
    }
};

Memory residentMemory(pid_t pid)
{
    std::ifstream smaps("/proc/" + std::to_string(pid) + "/smaps");
    Memory memory;
    std::string line;
    std::string mapping;
    bool anonymous = false;
    while (std::getline(smaps, line)) {
        std::istringstream words(line);
        std::string first;
        words >> first;
        if (first.find('-') != std::string::npos && first.find(':') == std::string::npos) {
            // A mapping: address, permissions, offset, device, inode, name.
            std::string permissions, offset, device, inode;
            words >> permissions >> offset >> device >> inode;
            std::getline(words >> std::ws, mapping);
            anonymous = inode == "0" && mapping.find('/') == std::string::npos;
        } else if (first == "Rss:") {
            double kb = 0;
            words >> kb;
            const double mb = kb / 1024;
            memory.total += mb;
            if (mapping.find("pulse") != std::string::npos)
                memory.pulse += mb;
            else if (mapping == "[heap]" || (anonymous && mapping.empty()))
                memory.heap += mb;
        }
    }
    return memory;
}

void printMemory(const char *label, const Memory &memory)
{
    std::printf("  %-34s %6.1f MB (heap and anonymous %6.1f, sound server pools %5.1f)\n", label,
                memory.total, memory.heap, memory.pulse);
}

// Waits for an alarm's window and its sound, answers it once it has sounded
// for a moment (`whileRinging` runs just before), and says how late the two
// came after `due`, in ms.
struct Answered {
    double mappedMs = NAN;
    double soundMs = NAN;
};

struct Answer {
    bool snooze = false;
    // How long after `due` (or now, when that has passed) an alarm may come.
    double patience = 10;
    std::function<void()> whileRinging;
};

Answered ringAndAnswer(Watch &watch, double due, double silentStartMs, const Answer &answer = {})
{
    // Alarms that waited for the one before ring as soon as it is answered.
    watch.pumpUntil(std::max(due, wallSeconds()) + answer.patience,
                    [&watch] { return watch.alarmMapped() && watch.firstSound(); });
    Answered answered;
    if (watch.alarmMapped())
        answered.mappedMs = (*watch.alarmMapped() - due) * 1000;
    if (watch.firstSound())
        answered.soundMs = (*watch.firstSound() - due) * 1000 - silentStartMs;
    watch.pumpFor(0.3);
    if (answer.whileRinging)
        answer.whileRinging();
    watch.answerAlarm(answer.snooze);
    return answered;
}

void printSpread(const char *label, const std::vector<double> &values)
{
    std::printf("%s: median %.1f ms, worst %.1f ms (%zu alarms)\n", label, median(values),
                worst(values), values.size());
}

} // namespace

int main(int argc, char *argv[])
{
    if (argc < 4) {
        std::fprintf(stderr,
                     "usage: %s PROGRAM_FOLDER SOUNDLOOP LOOP_FOLDER [RUNS [SECONDS [RINGS]]]\n",
                     argv[0]);
        return 2;
    }
    Setup setup{argv[1], argv[2], argv[3]};
    if (argc > 4)
        setup.runs = std::max(1, std::atoi(argv[4]));
    if (argc > 5)
        setup.seconds = std::max(1, std::atoi(argv[5]));
    if (argc > 6)
        setup.rings = std::max(3, std::atoi(argv[6]));

    Display *display = XOpenDisplay(nullptr);
    if (!display) {
        std::fprintf(stderr, "no X display\n");
        return 1;
    }
    XSelectInput(display, DefaultRootWindow(display), SubstructureNotifyMask);

    int monitor = -1;
    const pid_t recorder = readFrom({"parec", "--device=nullsink.monitor", "--raw",
                                     "--format=s16le", "--rate=" + std::to_string(kRate),
                                     "--channels=" + std::to_string(kChannels), "--latency-msec=5"},
                                    monitor);
    if (recorder < 0) {
        std::fprintf(stderr, "cannot watch the sound server\n");
        return 1;
    }
    Watch watch(display, monitor);
    // Settles the monitor's clock before anything is timed against it.
    watch.pumpFor(1);

    const FileSilence bells = fileSilence(setup.folder + "/Sounds/bells.wav");
    std::vector<double> mapped;
    std::vector<double> first;
    std::vector<double> later;
    // Each run starts the program well before its first alarm, as a clock
    // that runs all day would be, and rings a few alarms one after the other.
    for (int run = 0; run <= setup.runs; ++run) {
        watch.waitForSilence();
        XSync(display, True);
        std::vector<double> dues;
        for (int alarm = 0; alarm < kAlarmsPerRun; ++alarm)
            dues.push_back(secondAhead(kAlarmSpacing * (alarm + 1)));
        const pid_t pid = startWithAlarms(setup, dues);
        if (pid < 0)
            return 1;
        std::printf("%s %d:", run == 0 ? "warm-up" : "run", run);
        for (size_t alarm = 0; alarm < dues.size(); ++alarm) {
            watch.pumpUntil(dues[alarm] - 1, [] { return false; });
            watch.waitForSilence();
            watch.arm();
            const Answered answered = ringAndAnswer(watch, dues[alarm], bells.leadingMs);
            std::printf("  window %+.1f ms, sound %+.1f ms;", answered.mappedMs, answered.soundMs);
            if (run == 0)
                continue;
            mapped.push_back(answered.mappedMs);
            (alarm == 0 ? first : later).push_back(answered.soundMs);
        }
        std::printf("\n");
        watch.pumpFor(1);
        stop(pid);
    }

    watch.waitForSilence();
    XSync(display, True);
    watch.arm();
    const double due = secondAhead(3);
    const pid_t ringing = startWithAlarms(setup, {due});
    if (ringing < 0 || !watch.pumpUntil(due + 10, [&watch] {
            return watch.alarmMapped() && watch.firstSound();
        })) {
        std::fprintf(stderr, "the alarm did not ring\n");
        return 1;
    }
    const Ringing alarm = measureRinging(watch, ringing, setup.seconds);

    watch.waitForSilence();
    watch.arm();
    const pid_t alone =
        launch({setup.soundloop, setup.loopFolder}, setup.loopFolder + "/bench.log");
    if (!watch.pumpUntil(wallSeconds() + 10, [&watch] { return watch.firstSound().has_value(); })) {
        std::fprintf(stderr, "the player alone did not sound\n");
        return 1;
    }
    const Ringing player = measureRinging(watch, alone, setup.seconds);

    // Memory: idle before anything is readied, after the first alarm, and
    // over many alarms that fall due in one second and ring one after another,
    // snoozed to ring again a minute on until the rings are counted.
    watch.waitForSilence();
    XSync(display, True);
    const double firstDue = secondAhead(14);
    const double manyDue = firstDue + 12;
    std::vector<double> dues{firstDue};
    dues.resize(static_cast<size_t>(std::min(setup.rings, kMostAlarms)), manyDue);
    const pid_t counted = startWithAlarms(setup, dues);
    if (counted < 0)
        return 1;
    watch.pumpUntil(firstDue - 7, [] { return false; });
    const Memory idle = residentMemory(counted);
    watch.arm();
    ringAndAnswer(watch, firstDue, bells.leadingMs);
    watch.pumpFor(2);
    const Memory afterFirst = residentMemory(counted);
    // Later ones are read while the alarm rings, as the next comes at once.
    std::vector<std::pair<int, Memory>> whileRinging;
    // The sound plays in a process of the clock's own, which ends after it.
    Memory soundProgram;
    for (int ring = 2; ring <= setup.rings; ++ring) {
        Answer snooze{true, 75, [&] {
                          if (ring == 2 || ring == 100 || ring == setup.rings)
                              whileRinging.emplace_back(ring, residentMemory(counted));
                          if (ring == 2) {
                              for (const std::string &child : childrenOf(counted))
                                  soundProgram = residentMemory(std::stoi(child));
                          }
                      }};
        const Answered answered = ringAndAnswer(watch, manyDue, bells.leadingMs, snooze);
        if (std::isnan(answered.mappedMs)) {
            std::fprintf(stderr, "ring %d did not come\n", ring);
            break;
        }
    }
    watch.pumpFor(2);
    const Memory afterAll = residentMemory(counted);
    stop(counted);

    // Killed outright: on a polite signal they say goodbye among the figures.
    stop(recorder, SIGKILL);
    XCloseDisplay(display);

    std::printf("\ndue second to the \"Alarm\" window mapped: median %.1f ms, worst %.1f ms "
                "(%zu alarms)\n",
                median(mapped), worst(mapped), mapped.size());
    std::printf("due second to the first sound at the sink, less the %.1f ms of silence the "
                "sound file opens with:\n",
                bells.leadingMs);
    printSpread("  the first alarm of a run", first);
    printSpread("  the alarms after it     ", later);
    std::printf("CPU per 60 s while Bells repeats (measured over %d s): alarm ringing %.0f ms, "
                "player alone %.0f ms, difference %+.2f%% of one core\n",
                setup.seconds, alarm.cpuMs, player.cpuMs, (alarm.cpuMs - player.cpuMs) / 600.0);
    std::printf("Bells repeating: its file ends in %.0f ms of silence and opens with %.0f ms\n",
                bells.trailingMs, bells.leadingMs);
    // Less sound means less work: a figure from a span that went quiet is not
    // the cost of ringing. The repeat has been seen to stop on this sound server.
    for (const auto &[label, ringing] :
         {std::pair{"alarm ringing", alarm}, {"player alone", player}})
        std::printf("  %-13s sound in %.1f%% of the span, longest silence %.0f ms%s\n", label,
                    ringing.soundShare, ringing.longestSilence * 1000,
                    ringing.longestSilence > kStoppedRepeatSeconds ? "  <- the repeat stopped"
                                                                   : "");
    std::printf("resident memory:\n");
    printMemory("idle, the clock shown", idle);
    printMemory("after the first alarm, closed", afterFirst);
    printMemory("  above idle", afterFirst - idle);
    for (const auto &[rings, memory] : whileRinging) {
        const std::string label = "while alarm " + std::to_string(rings) + " rings";
        printMemory(label.c_str(), memory);
    }
    if (whileRinging.size() > 1) {
        const auto &[firstRing, first] = whileRinging.front();
        const auto &[lastRing, last] = whileRinging.back();
        const Memory growth = last - first;
        const int rings = lastRing - firstRing;
        std::printf("    %-32s %6.2f KB a ring (heap %.2f, pools %.2f) over %d rings\n", "growth",
                    growth.total * 1024 / rings, growth.heap * 1024 / rings,
                    growth.pulse * 1024 / rings, rings);
    }
    printMemory("sound program, alarm 2 ringing", soundProgram);
    const std::string label = "after all " + std::to_string(setup.rings) + ", closed";
    printMemory(label.c_str(), afterAll);
    return 0;
}
