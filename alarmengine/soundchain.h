#pragma once

#include "alarms/alarmrecord.h"

#include <QString>
#include <QStringList>

#include <functional>
#include <optional>

// What a ringing alarm plays, and what it falls back to, so that it is never
// silent while anything is left to try: its playlist item by item, from its
// first item again after its last; a pass of the list none of whose items
// could be played, the alarm's built-in sound; a built-in sound that is
// missing or fails, the next one, round the ten; when none of them plays,
// the program's own tone.
// The volume an alarm rings at, in hundredths of a decibel: its `spare` field
// where that holds one (Silent to Full), else full; files written before the
// field held a volume have 0 there, full.
int alarmVolume(const AlarmRecord &alarm);

class SoundChain final {
public:
    enum class Kind { Item, BuiltIn, Tone };
    struct Step {
        Kind kind = Kind::Tone;
        QString file; // empty for the tone
        friend bool operator==(const Step &, const Step &) = default;
    };

    SoundChain() = default;
    // The chain of `alarm`, whose built-in sounds are `builtInSounds` in the
    // order of the sound list.
    SoundChain(const AlarmRecord &alarm, const QStringList &builtInSounds);

    // What to play now: first, and again each time what played has finished.
    // Built-in sounds whose file is not there (`isFile`) are passed over and
    // added to `passedOver`. Nothing when the chain has fallen silent.
    std::optional<Step> next(const std::function<bool(const QString &)> &isFile,
                             QStringList &passedOver);
    // The step last given could not be played; a built-in sound is added to
    // `passedOver`. The tone failing leaves nothing to try.
    void failed(QStringList &passedOver);
    // The step last given has finished: played, failed, or cut short.
    void finished();

    bool silent() const { return m_stage == Stage::Silent; }
    bool playsList() const { return m_stage == Stage::Playlist; }

private:
    enum class Stage { Playlist, BuiltIn, Tone, Silent };

    QString builtInSound(int passed) const;

    Stage m_stage = Stage::Silent;
    QStringList m_playlist;
    QStringList m_items; // the playlist items not played yet in this pass
    QStringList m_builtInSounds;
    int m_chosenSound = 0;
    int m_soundsPassed = 0;    // built-in sounds passed over, counted from the chosen one
    bool m_itemPlayed = false; // an item of this pass could be played
    bool m_lastFailed = false;
    QString m_last; // the file of the step last given
};
