#pragma once

// Keeps the computer from going to sleep while an alarm rings. Taking it twice
// holds it once; where the system offers no such lock nothing happens.
class SleepInhibitor {
public:
    virtual ~SleepInhibitor() = default;
    virtual void take() = 0;
    virtual void release() = 0;
};
