#pragma once

// Ends the program. Tests pass a double that records the request instead.
class ProgramEnd {
public:
    virtual ~ProgramEnd() = default;
    virtual void endProgram() = 0;
};

// Leaves every running event loop; before the main loop starts, the caller
// sees ended() and returns from main.
class EventLoopEnd final : public ProgramEnd {
public:
    void endProgram() override;
    bool ended() const { return m_ended; }

private:
    bool m_ended = false;
};
