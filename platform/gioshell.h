#pragma once

#include "platform/fileopener.h"

// Opens files through GIO: an ELF program with the execute bit is started detached; any other
// file, scripts included, goes to the default application of its content type, whatever the
// file's mode bits.
class GioShell : public FileOpener
{
public:
    OpenResult open(const QByteArray &file) override;

private:
    OpenResult runProgram(const QByteArray &path);
    OpenResult openDocument(const QByteArray &path);
};
