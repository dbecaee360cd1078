#include "base/remoterequest.h"

#include <array>
#include <utility>

namespace {

const std::array<std::pair<RemoteAction, QByteArrayView>, 5> kWords{{
    {RemoteAction::Show, "show"},
    {RemoteAction::Snooze, "snooze"},
    {RemoteAction::Stop, "stop"},
    {RemoteAction::Next, "next"},
    {RemoteAction::List, "list"},
}};

constexpr QByteArrayView kDone("done\n");
constexpr QByteArrayView kIdle("idle\n");
static_assert(kDone.size() == kIdle.size());

} // namespace

QByteArray requestLine(RemoteAction action)
{
    for (const auto &[known, word] : kWords) {
        if (known == action)
            return word.toByteArray() + '\n';
    }
    return {};
}

std::optional<RemoteAction> readRequest(QByteArrayView request)
{
    if (request.isEmpty())
        return RemoteAction::Show;
    if (!request.endsWith('\n'))
        return std::nullopt;
    request.chop(1);
    for (const auto &[action, word] : kWords) {
        if (request == word)
            return action;
    }
    return std::nullopt;
}

QByteArray replyBytes(const RemoteReply &reply)
{
    return (reply.done ? kDone : kIdle).toByteArray() + reply.text.toUtf8();
}

std::optional<RemoteReply> readReply(QByteArrayView reply)
{
    if (!reply.startsWith(kDone) && !reply.startsWith(kIdle))
        return std::nullopt;
    return RemoteReply{reply.startsWith(kDone), QString::fromUtf8(reply.sliced(kDone.size()))};
}
