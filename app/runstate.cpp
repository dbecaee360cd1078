#include "app/runstate.h"

#include "base/textlines.h"

#include <QList>

#include <optional>

namespace {

constexpr QByteArrayView kHeader = "tockaro-state 1";

QByteArray number(qint64 value)
{
    return QByteArray::number(value);
}

std::optional<qint64> readNumber(QByteArrayView text)
{
    bool ok = false;
    const qint64 value = text.toLongLong(&ok);
    return ok ? std::optional(value) : std::nullopt;
}

// Written into one buffer: the file is written at every ring and snooze, and
// the heap is best left unchurned.
void appendAlarmLine(QByteArray &text, int slot, const QByteArray &digest, const AlarmMarks &mark)
{
    text.append("alarm ").append(number(slot)).append(' ').append(digest);
    if (mark.snoozeUntil) {
        text.append(" snooze=").append(number(*mark.snoozeUntil));
        if (mark.snoozeSteadyMs)
            text.append('/').append(number(*mark.snoozeSteadyMs));
    }
    if (mark.changedAt)
        text.append(" changed=").append(number(*mark.changedAt));
    for (qsizetype i = 0; i < mark.handled.size(); ++i)
        text.append(i == 0 ? " handled=" : ",").append(number(mark.handled[i]));
    text.append('\n');
}

// One alarm line's marks, or nothing when a part of it cannot be read.
std::optional<AlarmMarks> readMarks(const QList<QByteArray> &words)
{
    AlarmMarks mark;
    for (qsizetype i = 3; i < words.size(); ++i) {
        const QByteArray &word = words[i];
        const qsizetype equals = word.indexOf('=');
        const QByteArray key = word.left(equals);
        const QByteArray value = word.mid(equals + 1);
        if (key == "snooze") {
            const QList<QByteArray> parts = value.split('/');
            mark.snoozeUntil = readNumber(parts[0]);
            if (!mark.snoozeUntil || parts.size() > 2)
                return std::nullopt;
            if (parts.size() == 2 && !(mark.snoozeSteadyMs = readNumber(parts[1])))
                return std::nullopt;
        } else if (key == "changed") {
            if (!(mark.changedAt = readNumber(value)))
                return std::nullopt;
        } else if (key == "handled") {
            for (const QByteArray &second : value.split(',')) {
                const std::optional<qint64> local = readNumber(second);
                if (!local)
                    return std::nullopt;
                mark.markHandled(*local);
            }
        }
    }
    return mark;
}

} // namespace

QByteArray formatRunState(const RunState &state, const AlarmSlots &alarms, int alarmCount)
{
    QByteArray text;
    text.reserve(4096);
    text.append(kHeader.data(), kHeader.size()).append('\n');
    if (const std::optional<LastLook> &look = state.engine.looked) {
        text += "looked " + number(look->utc) + ' ' + number(look->local) + ' ' +
                (look->zone.isEmpty() ? QByteArray("-") : look->zone) + '\n';
    }
    if (!state.engine.boot.isEmpty())
        text += "boot " + state.engine.boot + '\n';
    for (int slot = 1; slot <= alarmCount; ++slot) {
        const AlarmMarks &mark = state.engine.marks[slot];
        if (mark == AlarmMarks())
            continue;
        const QByteArray &known = state.engine.digests[slot];
        appendAlarmLine(text, slot, known.isEmpty() ? alarmFingerprint(alarms[slot]) : known, mark);
    }
    if (state.clockPlace)
        text +=
            "place " + number(state.clockPlace->x()) + ' ' + number(state.clockPlace->y()) + '\n';
    return text;
}

std::optional<RunState> parseRunState(const QByteArray &bytes, const AlarmSlots &alarms,
                                      int alarmCount)
{
    const QList<QByteArrayView> lines = textLines(bytes);
    if (lines.isEmpty() || lines.first() != kHeader)
        return std::nullopt;
    RunState state;
    struct Entry {
        int slot;
        QByteArray digest;
        AlarmMarks marks;
    };
    QList<Entry> entries;
    for (qsizetype i = 1; i < lines.size(); ++i) {
        const QList<QByteArray> words = lines[i].toByteArray().split(' ');
        const QByteArray &kind = words.first();
        if (kind == "looked" && words.size() == 4) {
            const std::optional<qint64> utc = readNumber(words[1]);
            const std::optional<qint64> local = readNumber(words[2]);
            if (!utc || !local)
                return std::nullopt;
            state.engine.looked = LastLook{*utc, *local, words[3] == "-" ? QByteArray() : words[3]};
        } else if (kind == "boot" && words.size() == 2) {
            state.engine.boot = words[1];
        } else if (kind == "alarm" && words.size() >= 3) {
            const std::optional<qint64> slot = readNumber(words[1]);
            const std::optional<AlarmMarks> marks = readMarks(words);
            if (!slot || !marks)
                return std::nullopt;
            entries.append({int(*slot), words[2], *marks});
        } else if (kind == "place" && words.size() == 3) {
            const std::optional<qint64> x = readNumber(words[1]);
            const std::optional<qint64> y = readNumber(words[2]);
            if (!x || !y)
                return std::nullopt;
            state.clockPlace = QPoint(int(*x), int(*y));
        } else if (kind == "looked" || kind == "boot" || kind == "alarm" || kind == "place") {
            return std::nullopt;
        }
        // A line of another kind is a later version's; this one goes without it.
    }

    // Each alarm's marks go to the slot that holds it: its own where it is
    // still there, else the first other slot with the same alarm.
    std::array<QByteArray, kAlarmSlots> digests;
    for (int slot = 1; slot <= alarmCount; ++slot)
        digests[slot] = alarmFingerprint(alarms[slot]);
    std::array<bool, kAlarmSlots> taken{};
    QList<Entry> moved;
    for (const Entry &entry : std::as_const(entries)) {
        if (entry.slot >= 1 && entry.slot <= alarmCount && !taken[entry.slot] &&
            digests[entry.slot] == entry.digest) {
            state.engine.marks[entry.slot] = entry.marks;
            taken[entry.slot] = true;
        } else {
            moved.append(entry);
        }
    }
    for (const Entry &entry : std::as_const(moved)) {
        for (int slot = 1; slot <= alarmCount; ++slot) {
            if (!taken[slot] && digests[slot] == entry.digest) {
                state.engine.marks[slot] = entry.marks;
                taken[slot] = true;
                break;
            }
        }
    }
    return state;
}
