#pragma once

#include <QString>

// Refuses a second running copy of the program.
class InstanceGuard {
public:
    virtual ~InstanceGuard() = default;
    // True when this copy may run; the claim lasts as long as the guard.
    virtual bool tryAcquire() = 0;
    // What the user must know: after a claim that held, what is wrong although
    // this copy runs (a lock in the way that is not the user's); after one that
    // was refused, why, when no copy could be sure to run alone (no lock of the
    // user's own anywhere). Empty when nothing, and when another copy runs.
    virtual QString warning() const = 0;
};
