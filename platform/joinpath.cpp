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

} // namespace

QString JoinPath(const QString &folder, const QString &name)
{
    return joined(folder, name);
}

QByteArray JoinPath(const QByteArray &folder, const QByteArray &name)
{
    return joined(folder, name);
}
