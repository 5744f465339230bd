#pragma once

#include "platform/winerror.h"

#include <QString>

// Result codes of the shell's "open" request that the program tells apart; any value above 32
// is success.
enum ShellExecuteResult {
    SE_ERR_NOASSOC = 31,
    ShellExecuteSucceeded = 42,
};

enum ShowWindowCommand { SW_SHOWNORMAL = 1 };

// The shell's "open" request: open a document with the application associated with its type,
// or run a program. Returns at once, without waiting for the application. Tests put their own
// in place of the system's.
class ShellExecutor
{
public:
    virtual ~ShellExecutor() = default;
    // file is a path's bytes, as the system spells it.
    virtual int ShellExecute(const QString &operation, const QByteArray &file,
                             const QString &parameters, const QString &directory,
                             int showCommand) = 0;
};

// The system's shell: the freedesktop association database through GIO.
ShellExecutor &systemShell();
