#pragma once

// Ends the program. Tests pass a double that records the request instead.
class ProgramEnd {
public:
    virtual ~ProgramEnd() = default;
    virtual void endProgram() = 0;
};
