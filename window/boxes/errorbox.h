#pragma once

#include <QString>

class QWidget;

// The error box of a unit of work that failed: "An error has occurred." with the number and
// the description, title "Error", OK with the stop icon.
void ShowErrorBox(int number, const QString &description);
// Its text, to which a caller adds lines of its own.
QString ErrorBoxText(int number, const QString &description);
// The box with that text and more, over owner (the active window when none).
void ShowErrorBox(const QString &text, QWidget *owner);
