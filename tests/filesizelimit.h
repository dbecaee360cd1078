#pragma once

#include <QtGlobal>

#ifdef Q_OS_UNIX
#include <csignal>
#include <sys/resource.h>

// While it lives no file this process writes grows past `bytes`: a full disk that stops root
// too. The signal is ignored, so the write fails with EFBIG instead of ending the test.
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
#endif
