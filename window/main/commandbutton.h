#pragma once

#include <QString>

class QPushButton;
class QWidget;

// A command button of a window, named for tests and scripts; never a default button, so that
// Enter reaches the focused control.
QPushButton *CommandButton(QWidget *parent, const char *name, const QString &caption);
