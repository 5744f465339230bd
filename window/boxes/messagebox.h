#pragma once

#include <QList>
#include <QString>

#include <functional>

class QLabel;
class QWidget;

// Message and input boxes, as the program asks for them.
enum MsgBoxFlags { vbOKOnly = 0, vbYesNo = 4, vbCritical = 16, vbDefaultButton2 = 256 };
enum MsgBoxResult { vbOK = 1, vbCancel = 2, vbYes = 6, vbNo = 7 };

// A box given no title bears the application title.
int MsgBox(const QString &prompt, int flags = vbOKOnly, const QString &title = QString());
// The same box over owner rather than over the active window.
int MsgBox(QWidget *owner, const QString &prompt, int flags, const QString &title);
// The same box with a check box captioned checkText below the text; checked is its state when
// the box closed.
int MsgBox(const QString &prompt, int flags, const QString &title, const QString &checkText,
           bool &checked);
// The typed text on OK, the empty text on Cancel.
QString InputBox(const QString &prompt, const QString &title = QString(),
                 const QString &defaultText = QString());

// A label for text that may come from outside (labels, names, paths, typed queries): it shows
// the text as it is, never as markup.
QLabel *PlainLabel(QWidget *parent = nullptr);

// The report of a failure that nothing handled: number and description in an error box.
// The caller ends the program afterwards.
void reportUnhandledError(int number, const QString &description);

// The one place that shows boxes. In test mode none is shown: each box takes the next answer
// queued, as a person would click it, and is recorded; a box with no answer queued goes to the
// unanswered handler (a test fails) and gets No, OK or Cancel.
class MessageBox
{
public:
    struct Shown
    {
        QString kind; // "msgbox" or "inputbox"
        QString text;
        int flags;
        QString title;
    };

    // An empty handler leaves test mode: real boxes again.
    static void setTestMode(std::function<void(const QString &prompt)> unanswered);
    static void setNextAnswer(int button);
    static void setNextInput(const QString &text);
    // Whether the next box with a check box is closed with it ticked (not, unless queued).
    static void setNextCheck(bool checked);
    // The boxes asked for in test mode, in order; and how many queued answers are left.
    static const QList<Shown> &shown();
    static int answersLeft();
};
