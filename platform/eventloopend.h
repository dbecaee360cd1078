#pragma once

#include "base/programend.h"

// Leaves every running event loop; before the main loop starts, the caller
// sees ended() and returns from main.
class EventLoopEnd final : public ProgramEnd {
public:
    void endProgram() override;
    bool ended() const { return m_ended; }

private:
    bool m_ended = false;
};
