#pragma once

#include "base/instanceguard.h"
#include "platform/userfolders.h"

#include <QString>
#include <QStringList>

#include <memory>
#include <vector>

// One copy per program folder, whatever the environment says. The locks are
// files held with flock(), which the system lets go of when the process ends,
// however it ends, so a crash leaves nothing stale behind: "tockaro.lock" in
// the program folder itself, which the user writes conf and als to, and one
// named after the program folder in each of the user's private runtime
// folders. A copy takes every one of them it can, and runs only when it holds
// at least one and no other copy holds any: so two copies meet at the folder's
// lock, or, when that file cannot be theirs (another user's file in a folder
// others may write, a read-only folder), at the runtime folder's. Taking both
// is what keeps a copy that found the folder's lock usable from missing one
// that could only take the runtime lock. Two copies can still miss each other
// only when they share no runtime folder and the folder's lock file stopped
// being someone else's between their starts.
//
// A lock file is opened without following a link and without waiting, taken
// only when it is an ordinary file of the user's own, and never read: whatever
// another user puts in its place can neither stop nor hold up the start. Such
// a file is left alone and reported (warning()). When no lock at all can be
// had, tryAcquire() refuses, and warning() says why, naming the lock file and
// its owner; a copy refused because another one runs asks that one to show
// its clock, and warning() is empty. On Windows the lock is the folder's file
// held open without sharing and deleted as it is closed, again by the system
// whatever ends the process.
class FolderLockGuard final : public InstanceGuard {
public:
    explicit FolderLockGuard(const QString &programFolder,
                             QStringList runtimeFolders = privateRuntimeFolders());
    ~FolderLockGuard() override;
    bool tryAcquire() override;
    QString warning() const override { return m_warning; }

    // Where the lock of `programFolder` is kept first.
    static QString lockPath(const QString &programFolder);

private:
    struct Lock;

    QString m_programFolder;
    QStringList m_runtimeFolders;
    QString m_warning;
    std::vector<std::unique_ptr<Lock>> m_locks;
};
