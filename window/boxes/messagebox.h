#pragma once

#include <QList>
#include <QString>

#include <functional>

class QLabel;
class QWidget;

// The buttons a box offers: OK alone, or Yes and No with Yes (or No) the default.
enum class BoxButtons { Ok, YesNo, YesNoDefaultNo };
enum class BoxIcon { None, Stop };
// The button that closed a box; Esc or the close button on a question is No.
enum class BoxAnswer { Ok, Yes, No };

// A modal box over owner (the active window when none), its text shown as it is, never as
// markup; given no title it bears the application title.
BoxAnswer showBox(const QString &text, const QString &title, BoxButtons buttons = BoxButtons::Ok,
                  BoxIcon icon = BoxIcon::None, QWidget *owner = nullptr);
// The same with a check box captioned checkText below the text; checked is its state when the
// box closed.
BoxAnswer showBox(const QString &text, const QString &title, BoxButtons buttons,
                  const QString &checkText, bool &checked);
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
// unanswered handler (a test fails) and gets No or OK.
class MessageBox
{
public:
    struct Shown
    {
        bool input; // an input box
        QString text;
        QString title;
        BoxButtons buttons;
        BoxIcon icon;
    };

    // An empty handler leaves test mode: real boxes again.
    static void setTestMode(std::function<void(const QString &prompt)> unanswered);
    static void setNextAnswer(BoxAnswer answer);
    static void setNextInput(const QString &text);
    // Whether the next box with a check box is closed with it ticked (not, unless queued).
    static void setNextCheck(bool checked);
    // The boxes asked for in test mode, in order; and how many queued answers are left.
    static const QList<Shown> &shown();
    static int answersLeft();
};
