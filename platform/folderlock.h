#pragma once

#include "base/instanceguard.h"

#include <QLockFile>
#include <QString>

// One copy per program folder: a lock file in the temporary folder, named after
// the folder. A copy that crashed leaves a stale lock, which the next start
// recognises by its dead process and takes over.
class FolderLockGuard final : public InstanceGuard {
public:
    explicit FolderLockGuard(const QString &programFolder);
    bool tryAcquire() override;

private:
    QLockFile m_lock;
};
