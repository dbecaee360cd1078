#pragma once

#include "base/result.h"

#include <QByteArray>
#include <QDateTime>
#include <QFileDevice>
#include <QString>

#include <functional>
#include <optional>

// Replaces the file at `path` with `bytes` in one step: the old file stays whole
// until the new one is completely on disk, whatever happens meanwhile. A new
// file gets `permissions` before anyone can open it; without them it gets the
// permissions the file had, or the usual ones for a new file. `beforeReplacing`
// runs when the new file is on disk, just before it takes the old one's place;
// a failure it returns leaves the old file in place.
Result saveFileAtomically(const QString &path, const QByteArray &bytes,
                          std::optional<QFileDevice::Permissions> permissions = std::nullopt,
                          const std::function<Result()> &beforeReplacing = {});

// A whole file as read from disk.
struct FileContents {
    bool exists = false;
    QByteArray bytes;
    QString error; // why a file that exists could not be read; empty when it was
};

// Reads the file at `path` whole, but only when it is a regular file (links
// followed) of at most `maxBytes`: a pipe would hold the reader forever, and a
// device or a huge file would fill the memory. A folder, a link to nothing, a
// file of another kind or a larger one exists but is not read; the error
// says which.
FileContents readRegularFile(const QString &path, qint64 maxBytes);

// The most copies kept of one file: every save that finds the file changed by
// hand keeps one, and they must not fill the folder.
inline constexpr int kMaxBackups = 20;

// A name for a copy of the file at `path` as it was before a save replaced it:
// beside it, stamped with the present moment, "als-20261207-064500.bak"; a
// copy number above 1 tells copies made in the same second apart.
QString backupPath(const QString &path, const QDateTime &now, int copy);

// What a save did besides writing the file.
struct SaveReport {
    QString error;              // why nothing was written, naming the file; empty when saved
    QString backup;             // where the file as it was is kept; empty when no copy was made
    bool changedByHand = false; // it was no longer what the program last read or wrote

    bool ok() const { return error.isEmpty(); }
};

// A file of the program's that the user may edit by hand while the program
// runs (conf, als). It remembers what the program last read from it or wrote
// to it, so a save that would write over a change made since first keeps the
// changed file beside it. Only what the reader takes is written: a file the
// reader would refuse is never saved.
class KeptFile final {
public:
    // `beforeReplacing`, when given, runs in every save between the writing of
    // the new file and its taking the old one's place (where a test edits the
    // file as a user might).
    KeptFile(const QString &path, qint64 maxBytes, std::function<void()> beforeReplacing = {});

    const QString &path() const { return m_path; }

    // Reads the file as readRegularFile does and remembers what it held.
    FileContents read();

    // Replaces the file with `bytes`. When the file is no longer what was last
    // read or written here, or when keepCopy asks for it anyway, the file as it
    // is now is first copied beside it (backupPath, with its permissions), and
    // the oldest copies beyond kMaxBackups go. It is looked at again once the
    // new file is on disk, just before that takes its place, and a change made
    // meanwhile is copied too. A file that cannot be read cannot be copied, so
    // it is never written over; neither is anything when `bytes` are more than
    // the reader takes or a copy fails.
    SaveReport save(const QByteArray &bytes, const QDateTime &now, bool keepCopy = false);

private:
    // What the file held as the program last saw it. Its time is left out:
    // the same bytes written again lose nothing, and a file system with a
    // coarse clock would hide an edit made in the same second.
    struct Seen {
        bool exists = false;
        qint64 size = 0;
        QByteArray hash; // empty when it could not be read
        friend bool operator==(const Seen &, const Seen &) = default;
    };
    static Seen seen(const FileContents &contents);
    // Copies `contents`, the file as it is now, beside it; an error text, empty
    // when kept.
    QString keep(const FileContents &contents, const QDateTime &now, SaveReport &report);

    QString m_path;
    qint64 m_maxBytes;
    std::function<void()> m_beforeReplacing;
    // Nothing until the file was first read: whatever it holds then counts
    // as a change.
    std::optional<Seen> m_seen;
};

// What the user is told when a save found the file changed by hand: which
// file, where the changed file is kept, and that `savedOver` (what the
// program's window held) was saved over it.
QString handEditMessage(const QString &path, const SaveReport &report, const QString &savedOver);
