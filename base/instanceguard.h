#pragma once

// Refuses a second running copy of the program.
class InstanceGuard {
public:
    virtual ~InstanceGuard() = default;
    // True when this copy may run; the claim lasts as long as the guard.
    virtual bool tryAcquire() = 0;
};
