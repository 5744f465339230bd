#pragma once

#include <QByteArray>

// What became of a request to open a file with the application of its type (or to run it, for a
// program).
enum class OpenResult {
    Opened,
    FolderMissing,
    FileMissing,
    ApplicationMissing, // the application, or the terminal it asks for, is not there
    BadFormat,          // a program, or an application, that the system will not run
    NoApplication,      // no application for the file's type
    Failed,             // anything else (a file that cannot be read, ...)
};

// Opens a file with the application associated with its type, or runs a program, and returns
// once it has started (never waits for it). Tests put their own in place of the system's.
class FileOpener
{
public:
    virtual ~FileOpener() = default;
    // file is a path's bytes, as the system spells it.
    virtual OpenResult open(const QByteArray &file) = 0;
};

// The system's: the freedesktop association database through GIO.
FileOpener &systemFileOpener();
