// A second start on Windows sets an event named after the program folder in
// the session's own namespace ("Local\"), which the running copy waits on.
// Only processes of the logon session see the name, and the event is made
// with the user's default security, which lets no other user set it; a name
// that another user took first cannot be opened and is logged. A crash leaves
// nothing behind: the system removes the event with its last handle.

#include "platform/showrequests.h"

#include "base/logging.h"
#include "platform/folderlock.h"

#include <QWinEventNotifier>

#include <windows.h>

#include <string>

namespace {

std::wstring eventName(const QString &programFolder)
{
    const QString name = QStringLiteral("Local\\") + programFolderKey(programFolder);
    return name.toStdWString();
}

QString systemError(DWORD error)
{
    return QStringLiteral("system error %1").arg(error);
}

} // namespace

ShowRequests::ShowRequests(const QString &programFolder, Answerer answer, QObject *parent)
    : QObject(parent), m_answer(std::move(answer))
{
    // Reset as it is taken, so each request shows the clock once.
    HANDLE event = ::CreateEventW(nullptr, FALSE, FALSE, eventName(programFolder).c_str());
    if (!event) {
        const DWORD error = ::GetLastError();
        qCWarning(lcClock).noquote()
            << "a second start cannot ask this copy to show its clock: the event"
            << programFolderKey(programFolder)
            << (error == ERROR_ACCESS_DENIED ? QStringLiteral("is taken, perhaps by another user")
                                             : systemError(error));
        return;
    }
    m_event = event;
    m_notifier = new QWinEventNotifier(event, this);
    connect(m_notifier, &QWinEventNotifier::activated, this, [this] {
        if (m_answer)
            m_answer(RemoteAction::Show);
    });
}

ShowRequests::~ShowRequests()
{
    delete m_notifier;
    if (m_event)
        ::CloseHandle(m_event);
}

void askRunningCopyToShow(const QString &programFolder)
{
    HANDLE event = ::OpenEventW(EVENT_MODIFY_STATE, FALSE, eventName(programFolder).c_str());
    if (!event)
        return;
    ::SetEvent(event);
    ::CloseHandle(event);
}
