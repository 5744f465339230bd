#pragma once

#include <QByteArray>
#include <QString>

// A name inside a folder: one "/" between them, none added where the folder ends with one or
// the name begins with one, so a file in "/" is "/name". Every full path of a catalogued file,
// as text or as the system's bytes, is made by this one rule.
QString JoinPath(const QString &folder, const QString &name);
QByteArray JoinPath(const QByteArray &folder, const QByteArray &name);
