#pragma once

#include <QtGlobal>

#ifdef Q_OS_UNIX
#include <csignal>
#include <sys/resource.h>

// While it lives, no file this process writes can grow past `bytes`: to the
// writer it is a full disk, and unlike a read-only mode bit it stops root too.
// The signal is ignored, so the write fails with EFBIG instead of ending the test.
class FileSizeLimit final {
public:
    explicit FileSizeLimit(rlim_t bytes) : m_oldAction(std::signal(SIGXFSZ, SIG_IGN))
    {
        getrlimit(RLIMIT_FSIZE, &m_oldLimit);
        rlimit limit = m_oldLimit;
        limit.rlim_cur = bytes;
        m_active = setrlimit(RLIMIT_FSIZE, &limit) == 0;
    }
    ~FileSizeLimit()
    {
        setrlimit(RLIMIT_FSIZE, &m_oldLimit);
        std::signal(SIGXFSZ, m_oldAction);
    }
    Q_DISABLE_COPY_MOVE(FileSizeLimit)

    bool active() const { return m_active; }

private:
    void (*m_oldAction)(int);
    rlimit m_oldLimit = {};
    bool m_active = false;
};
#elif defined(Q_OS_WIN)
#include <QDir>
#include <QString>

#include <windows.h>

// While it lives, the file is open without sharing, as another program may
// hold it on Windows: it cannot be replaced, and to a writer that is as good
// as a full disk. Unlike a read-only attribute it stops an administrator too.
class HeldWithoutSharing final {
public:
    explicit HeldWithoutSharing(const QString &path)
        : m_handle(
              CreateFileW(reinterpret_cast<const wchar_t *>(QDir::toNativeSeparators(path).utf16()),
                          GENERIC_READ, 0, nullptr, OPEN_EXISTING, FILE_ATTRIBUTE_NORMAL, nullptr))
    {}

    ~HeldWithoutSharing()
    {
        if (held())
            CloseHandle(m_handle);
    }

    HeldWithoutSharing(const HeldWithoutSharing &) = delete;
    HeldWithoutSharing &operator=(const HeldWithoutSharing &) = delete;

    bool held() const { return m_handle != INVALID_HANDLE_VALUE; }

private:
    HANDLE m_handle;
};
#endif
