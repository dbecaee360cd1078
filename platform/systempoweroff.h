#pragma once

#include "base/poweroff.h"

// The platform's own power-off command, found through PATH and started with a
// fixed argument list, without a shell: `systemctl poweroff` on Linux,
// `shutdown /s /t 0` on Windows.
class SystemPowerOff final : public PowerOff {
public:
    Result powerOff() override;
};
