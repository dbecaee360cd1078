#pragma once

// The tray icon's mouse messages, numbered as the platform's mouse messages are.
namespace TrayMessage {
constexpr int MouseMove = 512;
constexpr int LeftButtonDown = 513;
constexpr int LeftButtonDoubleClick = 515;
constexpr int RightButtonUp = 517;
constexpr int MiddleButtonUp = 520;
} // namespace TrayMessage

// How the notification area reaches the program. One that passes the icon's
// mouse messages on (an XEmbed tray, the Windows one) leaves the menu to the
// program; a status-notifier host shows the menu the program exports and turns
// a left click or a double click into one activation.
enum class TrayHost { MouseMessages, StatusNotifier };

enum class TrayAction { Nothing, ShowClock, OpenMenu };

TrayAction trayActionFor(int mouseMessage, TrayHost host);
