#pragma once

#include <QString>

// Refuses a second running copy of the program.
class InstanceGuard {
public:
    virtual ~InstanceGuard() = default;
    // True when this copy may run; the claim lasts as long as the guard.
    virtual bool tryAcquire() = 0;
    // What the user must know although this copy runs (a lock in the way that
    // is not the user's); empty when nothing.
    virtual QString warning() const = 0;
};
