#pragma once

#include <QString>

// The application object: where the executable lives, its title and its version.
namespace App {

QString Path();
QString Title();
int Major();
int Minor();
int Revision();

// Tests point the program at a folder of their own instead of the executable's.
void setPathForTesting(const QString &path);

} // namespace App
