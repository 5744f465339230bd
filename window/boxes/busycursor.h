#pragma once

#include <Qt>

// The busy pointer over the program's windows for as long as one lives: the hourglass while a
// command works, the arrow and hourglass while work goes on beside windows that stay in use
// (runs, taking a member out of its archive). The hourglass wins while both are held; they may
// end in any order. While a box waits for the user (Waiting) the pointer is the normal one.
class BusyCursor
{
public:
    enum Kind { Command, Beside, Waiting };
    explicit BusyCursor(Kind kind = Command);
    ~BusyCursor();
    BusyCursor(const BusyCursor &) = delete;
    BusyCursor &operator=(const BusyCursor &) = delete;

private:
    Kind m_kind;
};
