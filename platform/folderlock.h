#pragma once

#include "base/instanceguard.h"

#include <QLockFile>
#include <QString>

// A name that stands for one program folder (its canonical path, hashed):
// "tockaro-" and 16 hex digits.
QString programFolderKey(const QString &programFolder);

// One copy per program folder: a lock file in the temporary folder, named after
// the folder. A copy that crashed leaves a stale lock, which the next start
// recognises by its dead process and takes over. A refused copy asks the
// running one to show its clock.
class FolderLockGuard final : public InstanceGuard {
public:
    explicit FolderLockGuard(const QString &programFolder);
    bool tryAcquire() override;

private:
    QString m_programFolder;
    QLockFile m_lock;
};
