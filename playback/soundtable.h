#pragma once

#include <QString>
#include <QStringList>

#include <array>

// The ten built-in alarm sounds, in the order of the editor's sound list, so an
// alarm's sound index selects its file directly.
namespace SoundTable {

constexpr int Count = 10;

struct Entry {
    const char *name;     // as the sound list shows it
    const char *fileName; // inside the Sounds folder
};

constexpr std::array<Entry, Count> Entries = {{
    {"Alarm 1", "alarm.wav"},
    {"Alarm 2", "alarm_3.wav"},
    {"Astalavista", "astalavista.wav"},
    {"Bells", "bells.wav"},
    {"Electronics", "electronics.wav"},
    {"Household", "household.wav"},
    {"Maribell", "Maribell.wav"},
    {"Moo", "Moo.wav"},
    {"Musical", "musical.wav"},
    {"Ricochet", "Ricochet.wav"},
}};

// The default hourly chime; it lies beside the ten but is not one of them.
constexpr const char *ChimeFileName = "chimering.MP3";

// The full paths of the ten sounds under the program folder, in table order.
QStringList paths(const QString &programFolder);

QString chimePath(const QString &programFolder);

} // namespace SoundTable
