#pragma once

#include <QString>

// Message and input boxes. The program calls MsgBox and InputBox; what shows them is chosen once
// at start (real boxes) or by a test (answers queued as a person would click them).

// MsgBox flags and answers used by the program.
enum MsgBoxFlags { vbOKOnly = 0, vbYesNo = 4, vbCritical = 16 };
enum MsgBoxResult { vbOK = 1, vbCancel = 2, vbYes = 6, vbNo = 7 };

class Dialogs
{
public:
    virtual ~Dialogs() = default;
    // title is never empty here: the free functions put the application title in its place.
    virtual int msgBox(const QString &prompt, int flags, const QString &title) = 0;
    // Returns the typed text, or the empty text for Cancel.
    virtual QString inputBox(const QString &prompt, const QString &title,
                             const QString &defaultText) = 0;
};

// Installs the implementation that shows the boxes; the caller keeps ownership.
void setDialogs(Dialogs *dialogs);
Dialogs *dialogs();

int MsgBox(const QString &prompt, int flags = vbOKOnly, const QString &title = QString());
QString InputBox(const QString &prompt, const QString &title = QString(),
                 const QString &defaultText = QString());

// The report of a failure that nothing handled: number and description in an error box.
// The caller ends the program afterwards.
void reportUnhandledError(int number, const QString &description);
