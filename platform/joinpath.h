#pragma once

#include <QByteArray>
#include <QString>

// A name inside a folder: one "/" between them, none added where the folder ends with one or
// the name begins with one, so a file in "/" is "/name". Every full path of a catalogued file,
// as text or as the system's bytes, is made by this one rule.
QString JoinPath(const QString &folder, const QString &name);
QByteArray JoinPath(const QByteArray &folder, const QByteArray &name);

// The part of path below root, without separators at either end ("a/b"), "" for root itself,
// and a null text when path does not lie under root. A root with a separator at its end
// ("/media/cd/", "/") is the same root. Text is QString or QByteArray.
template <typename Text> Text PathBelow(const Text &path, Text root)
{
    if (root.isEmpty())
        return Text();
    while (root.endsWith('/'))
        root.chop(1);
    if (!path.startsWith(root) || (path.size() > root.size() && path[root.size()] != '/'))
        return Text();
    qsizetype start = root.size(), end = path.size();
    while (start < end && path[start] == '/')
        ++start;
    while (end > start && path[end - 1] == '/')
        --end;
    const Text relative = path.mid(start, end - start);
    return relative.isNull() ? Text("") : relative; // under root, and so not null
}

// The place below root that a part PathBelow gave names: root itself for "".
template <typename Text> Text PathUnder(const Text &root, const Text &relative)
{
    return relative.isEmpty() ? root : JoinPath(root, relative);
}
