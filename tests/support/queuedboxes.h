#pragma once

#include "window/boxes/messagebox.h"

#include <QList>

class QWidget;

// Answers the program's boxes in a test, as a person would click them, queued beforehand. Every
// box asked for is recorded; a box with nothing queued to answer it fails the test, and so does
// an answer left unused when the test's boxes go.
class QueuedBoxes
{
public:
    QueuedBoxes();
    ~QueuedBoxes();
    QueuedBoxes(const QueuedBoxes &) = delete;
    QueuedBoxes &operator=(const QueuedBoxes &) = delete;

    void queueAnswer(BoxAnswer answer) { MessageBox::setNextAnswer(answer); }
    void queueInput(const QString &text) { MessageBox::setNextInput(text); }

    const QList<MessageBox::Shown> &shown() const { return MessageBox::shown(); }
    QList<MessageBox::Shown> messages() const; // the message boxes alone
};

// How a box looked: "OK", "OK stop" (with the stop icon), "Yes No" or "Yes No, No default".
QString look(const MessageBox::Shown &box);

// Empty when a label of widget shows text and every such label shows it as it is (never as
// markup), else what is wrong.
QString labelsShowing(const QWidget *widget, const QString &text);
