#pragma once

#include <QByteArray>
#include <QString>
#include <QStringList>

#include <functional>
#include <optional>

// The settings file `conf`: five lines in the system's 8-bit encoding, CR LF
// line ends. Reading is lenient: a line that is missing, empty or does not
// convert leaves its setting as it was.

// Entries of the size list, index 0 to 9.
const QStringList &sizeEntries();

// The number written before the first "%", rounded half to even; nothing when
// the text has no "%" or no 16-bit number before it.
std::optional<int> percentvalue(const QString &text);

// What the lines of a settings file say; an empty optional leaves a setting alone.
struct ConfLines {
    std::optional<bool> isshowing;    // line 1
    std::optional<QString> chimeLine; // line 2, as written
    std::optional<int> chimesChecked; // line 3: 0 or 1
    std::optional<int> ampm;          // line 4: nonzero is the 24-hour format
    std::optional<int> sizeIndex;     // line 5: an entry of the size list
};

ConfLines parseConf(const QByteArray &bytes);

// The chime file named by line 2, or the default when the line names no
// existing file (`exists` answers for a path).
QString chimeFileFrom(const std::optional<QString> &chimeLine, const QString &defaultChime,
                      const std::function<bool(const QString &)> &exists);

struct ConfValues {
    bool showAtStart = false; // line 1 is "True" when the auto-hide box is clear
    QString chimeFile;
    bool chimesOn = false;
    bool twentyFourHour = false;
    int sizeIndex = 0;
};

QByteArray formatConf(const ConfValues &values);

// Whole-number conversions the settings and alarm files share: spaces around
// the number are ignored, a fraction rounds half to even, and a text that is
// not a number or leaves 16 bits gives nothing.
std::optional<int> toInteger16(const QString &text);
std::optional<bool> toBoolean(const QString &text);
