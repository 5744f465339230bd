#pragma once

#include <QByteArray>
#include <QString>

// A name inside a folder: one "/" between them, none added where the folder ends with one or
// the name begins with one, so a file in "/" is "/name". Every full path of a catalogued file,
// as text or as the system's bytes, is made by this one rule.
QString JoinPath(const QString &folder, const QString &name);
QByteArray JoinPath(const QByteArray &folder, const QByteArray &name);

// The part of path below root, without separators at either end ("a/b"), "" for root itself,
// and a null text when path does not lie under root: JoinPath(root, it) is path again. A root
// with a separator at its end ("/media/cd/", "/") is the same root.
QString PathBelow(const QString &path, const QString &root);
QByteArray PathBelow(const QByteArray &path, const QByteArray &root);
// The place below root the part relative names: root itself for "".
QString PathUnder(const QString &root, const QString &relative);
QByteArray PathUnder(const QByteArray &root, const QByteArray &relative);
