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

// The five settings of the options dialog, one a line of the file.
struct Settings {
    bool showAtStart = false;    // line 1; the dialog's auto-hide box says the opposite
    QString chimeFile;           // line 2
    bool chimesOn = false;       // line 3
    bool twentyFourHour = false; // line 4
    int sizeIndex =
        0; // line 5: an entry of sizeEntries(); without one the clock shows at full size

    friend bool operator==(const Settings &, const Settings &) = default;
};

// The settings a file's bytes give, over the defaults. The chime file is line 2
// trimmed when it names an existing file (`exists` answers for a path), else
// `defaultChime`.
Settings readConf(const QByteArray &bytes, const QString &defaultChime,
                  const std::function<bool(const QString &)> &exists);

QByteArray formatConf(const Settings &settings);

// The display size in percent that a size entry stands for.
int sizePercent(int sizeIndex);

// Whole-number conversions the settings and alarm files share: spaces around
// the number are ignored, a fraction rounds half to even, and a text that is
// not a number or leaves 16 bits gives nothing.
std::optional<int> toInteger16(const QString &text);
std::optional<bool> toBoolean(const QString &text);

// What the user is told at start-up when conf, at `path`, is there but could
// not be read for `error`: the defaults are in effect and the file is left alone.
QString confLoadMessage(const QString &path, const QString &error);
