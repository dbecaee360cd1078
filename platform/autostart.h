#pragma once

#include "base/result.h"

#include <QString>

// Whether the desktop session starts the program of one program folder: an XDG
// autostart entry, named after the folder, in $XDG_CONFIG_HOME/autostart (or
// ~/.config/autostart). The entry is the setting; conf knows nothing of it.
class AutostartEntry final {
public:
    explicit AutostartEntry(const QString &programFolder);

    bool exists() const;
    // Writes the entry (in one step) or removes it. A program folder whose
    // path holds a control character gets no entry: the path could not be
    // written into it whole.
    Result set(bool on) const;
    const QString &path() const { return m_path; }

private:
    QString m_programFolder;
    QString m_path;
};
