#pragma once

#include "base/instanceguard.h"

#include <QString>

#include <memory>

// A name that stands for one program folder (its canonical path, hashed):
// "tockaro-" and 16 hex digits.
QString programFolderKey(const QString &programFolder);

// One copy per program folder, whatever the environment says: a lock on the
// file "tockaro.lock" in the program folder itself, which the user writes
// conf and als to and nobody else can write to. The system lets go of the
// lock when the process ends, however it ends, so a crash leaves nothing
// stale behind. The file is opened without following a link and without
// waiting, taken only when it is an ordinary file of the user's own, and
// never read: whatever another user puts in its place can neither stop nor
// hold up the start. Such a file is reported (warning()) and left alone, and
// the lock is kept in the user's runtime folder ($XDG_RUNTIME_DIR, named after
// the program folder) instead, as it is when the program folder cannot be
// written. On Windows the lock is the file held open without sharing and
// deleted as it is closed, again by the system whatever ends the process.
// A refused copy asks the running one to show its clock.
class FolderLockGuard final : public InstanceGuard {
public:
    explicit FolderLockGuard(const QString &programFolder);
    ~FolderLockGuard() override;
    bool tryAcquire() override;
    QString warning() const override { return m_warning; }

    // Where the lock of `programFolder` is kept first.
    static QString lockPath(const QString &programFolder);

private:
    struct Lock;

    QString m_programFolder;
    QString m_warning;
    std::unique_ptr<Lock> m_lock;
};
