#include "app/traymessage.h"

TrayAction trayActionFor(int mouseMessage, TrayHost host)
{
    switch (mouseMessage) {
    case TrayMessage::LeftButtonDoubleClick:
        return TrayAction::ShowClock;
    // A status-notifier host reports its activation as a plain left click.
    case TrayMessage::LeftButtonDown:
        return host == TrayHost::StatusNotifier ? TrayAction::ShowClock : TrayAction::Nothing;
    case TrayMessage::RightButtonUp:
        return TrayAction::OpenMenu;
    default:
        return TrayAction::Nothing;
    }
}
