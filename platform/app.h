#pragma once

#include <QString>

// The application object: where the executable lives, its title and its version.
namespace App {

QString Path();
QString Title();
int Major();
int Minor();
int Revision();

} // namespace App
