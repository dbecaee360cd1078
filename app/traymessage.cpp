#include "app/traymessage.h"

TrayAction trayActionFor(int mouseMessage)
{
    switch (mouseMessage) {
    case TrayMessage::LeftButtonDoubleClick:
        return TrayAction::ShowClock;
    case TrayMessage::RightButtonUp:
        return TrayAction::OpenMenu;
    default:
        return TrayAction::Nothing;
    }
}
