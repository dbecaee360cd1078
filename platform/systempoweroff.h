#pragma once

#include "base/poweroff.h"

// The platform's own power-off command, found on PATH and only there, and
// started with a fixed argument list, without a shell: `systemctl poweroff` on
// Linux, `shutdown /s /t 0` on Windows.
class SystemPowerOff final : public PowerOff {
public:
    Result powerOff() override;
};
