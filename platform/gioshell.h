#pragma once

#include "platform/shellexecute.h"

// Opens files through GIO: an ELF program with the execute bit is started detached; any other
// file, scripts included, goes to the default application of its content type. Missing folder 3,
// missing file 2, a program that cannot be run 11, a type with no application 31 whatever the
// file's mode bits; other failures give 0, which the program does not report.
class GioShell : public ShellExecutor
{
public:
    int ShellExecute(const QString &operation, const QByteArray &file, const QString &parameters,
                     const QString &directory, int showCommand) override;

private:
    int runProgram(const QByteArray &path, const QString &parameters, const QString &directory);
    int openDocument(const QByteArray &path);
};
