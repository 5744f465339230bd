#pragma once

#include <QString>

// The error box of a unit of work that failed: "An error has occurred." with the number and
// the description, title "Error", OK with the stop icon.
void ShowErrorBox(int number, const QString &description);
