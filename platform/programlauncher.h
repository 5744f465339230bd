#pragma once

#include <QString>

// Window styles for starting a program; the program is started with a normal, focused window.
enum VbAppWinStyle { vbHide = 0, vbNormalFocus = 1 };

// Starts a program by its path and does not wait for it. Tests install one that records instead.
class ProgramLauncher
{
public:
    virtual ~ProgramLauncher() = default;
    // True when the program was started.
    virtual bool start(const QString &path, int windowStyle) = 0;
};

// The real one: a detached process with no arguments; the window manager gives its first window
// the focus, as a newly started program gets.
class DetachedLauncher : public ProgramLauncher
{
public:
    bool start(const QString &path, int windowStyle) override;
};

// Starts the program at pathName through launcher. Raises PlatformError 5 for an empty path and
// 53 "File not found" when the program cannot be started.
void Shell(ProgramLauncher &launcher, const QString &pathName, int windowStyle);
