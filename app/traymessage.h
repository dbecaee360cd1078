#pragma once

// The tray icon's mouse messages, numbered as the platform's mouse messages are.
namespace TrayMessage {
constexpr int MouseMove = 512;
constexpr int LeftButtonDown = 513;
constexpr int LeftButtonDoubleClick = 515;
constexpr int RightButtonUp = 517;
constexpr int MiddleButtonUp = 520;
} // namespace TrayMessage

enum class TrayAction { Nothing, ShowClock, OpenMenu };

TrayAction trayActionFor(int mouseMessage);
