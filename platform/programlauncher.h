#pragma once

#include <QString>

// Starts a program by its path and does not wait for it. Tests install one that records instead.
class ProgramLauncher
{
public:
    virtual ~ProgramLauncher() = default;
    // True when the program was started.
    virtual bool start(const QString &path) = 0;
};

// The real one: a detached process with no arguments; the window manager gives its first window
// the focus, as a newly started program gets.
class DetachedLauncher : public ProgramLauncher
{
public:
    bool start(const QString &path) override;
};

// The full path of the first program on PATH that shows what the system is made of, or the
// empty text when there is none.
QString systemInformationProgram();
