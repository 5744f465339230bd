#include "platform/joinpath.h"

namespace {

template <typename Text> Text joined(const Text &folder, const Text &name)
{
    if (folder.endsWith('/') || name.startsWith('/'))
        return folder + name;
    Text path;
    path.reserve(folder.size() + 1 + name.size());
    path += folder;
    path += '/';
    path += name;
    return path;
}

template <typename Text> Text below(const Text &path, Text root)
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
    Text relative = path.mid(start, end - start);
    if (relative.isNull())
        relative = Text(""); // under root, and so not null
    return relative;
}

template <typename Text> Text under(const Text &root, const Text &relative)
{
    return relative.isEmpty() ? root : joined(root, relative);
}

} // namespace

QString JoinPath(const QString &folder, const QString &name)
{
    return joined(folder, name);
}

QByteArray JoinPath(const QByteArray &folder, const QByteArray &name)
{
    return joined(folder, name);
}

QString PathBelow(const QString &path, const QString &root)
{
    return below(path, root);
}

QByteArray PathBelow(const QByteArray &path, const QByteArray &root)
{
    return below(path, root);
}

QString PathUnder(const QString &root, const QString &relative)
{
    return under(root, relative);
}

QByteArray PathUnder(const QByteArray &root, const QByteArray &relative)
{
    return under(root, relative);
}
