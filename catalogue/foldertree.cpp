#include "catalogue/foldertree.h"

#include "catalogue/casefold.h"
#include "catalogue/filerow.h"

#include <algorithm>
#include <cstring>

namespace {

// Orders folders so that a folder comes right before everything below it: '/' before any other
// byte.
bool folderBefore(const QByteArray &a, const QByteArray &b)
{
    const qsizetype n = std::min(a.size(), b.size());
    for (qsizetype i = 0; i < n; ++i) {
        const auto x = static_cast<unsigned char>(a[i]), y = static_cast<unsigned char>(b[i]);
        if (x == y)
            continue;
        if (x == '/')
            return true;
        if (y == '/')
            return false;
        return x < y;
    }
    return a.size() < b.size();
}

// The deepest folder both lie at or below ("/media/cd" for "/media/cd/a" and "/media/cd/b").
QByteArray commonFolder(const QByteArray &a, const QByteArray &b)
{
    qsizetype n = 0;
    const qsizetype limit = std::min(a.size(), b.size());
    while (n < limit && a[n] == b[n])
        ++n;
    const auto endsFolder = [](const QByteArray &text, qsizetype at) {
        return at == text.size() || text[at] == '/';
    };
    if (endsFolder(a, n) && endsFolder(b, n))
        return a.left(n);
    const qsizetype slash = a.lastIndexOf('/', n - 1);
    if (slash <= 0)
        return a.startsWith('/') ? QByteArray("/") : QByteArray();
    return a.left(slash);
}

void sortChildren(FolderTree::Folder &folder)
{
    // Names equal but for case in the order of their bytes, the same every time.
    std::sort(folder.children.begin(), folder.children.end(), [](const auto &a, const auto &b) {
        const int c = CaseFold::compare(a->name.constData(), a->name.size(), b->name.constData(),
                                        b->name.size());
        return c != 0 ? c < 0 : a->name < b->name;
    });
    for (size_t i = 0; i < folder.children.size(); ++i) {
        folder.children[i]->row = int(i);
        sortChildren(*folder.children[i]);
    }
}

} // namespace

void FolderTree::add(const char *path, int pathLength, const char *size, int sizeLength)
{
    if (!m_last || m_lastPath.size() != pathLength ||
        std::memcmp(m_lastPath.constData(), path, size_t(pathLength)) != 0) {
        m_lastPath = QByteArray(path, pathLength);
        m_last = &m_tallies[m_lastPath];
    }
    ++m_last->files;
    m_last->bytes += FileRow::sizeValue(size, sizeLength);
}

void FolderTree::build()
{
    m_last = nullptr;
    m_root.reset();
    if (m_tallies.isEmpty())
        return;
    std::vector<QByteArray> paths;
    paths.reserve(size_t(m_tallies.size()));
    for (auto it = m_tallies.constBegin(); it != m_tallies.constEnd(); ++it)
        paths.push_back(it.key());
    std::sort(paths.begin(), paths.end(), folderBefore);
    QByteArray rootPath = paths.front();
    for (const QByteArray &path : paths)
        rootPath = commonFolder(rootPath, path);

    m_root = std::make_unique<Folder>();
    m_root->name = m_root->path = rootPath;
    // The chain of folders from the root to the last one made: the next folder, in this order,
    // lies below one of them.
    std::vector<Folder *> chain{m_root.get()};
    for (const QByteArray &path : paths) {
        const Tally tally = m_tallies.value(path);
        while (chain.size() > 1) {
            const QByteArray &above = chain.back()->path;
            if (path.startsWith(above) &&
                (path.size() == above.size() || path[above.size()] == '/'))
                break;
            chain.pop_back();
        }
        // Each step below the deepest folder of the chain that holds it.
        qsizetype at = chain.back()->path.size();
        while (at < path.size()) {
            if (path[at] == '/' && ++at == path.size())
                break; // a folder written with a separator at its end
            qsizetype end = path.indexOf('/', at);
            if (end < 0)
                end = path.size();
            auto folder = std::make_unique<Folder>();
            folder->name = path.mid(at, end - at);
            folder->path = path.left(end);
            folder->parent = chain.back();
            chain.back()->children.push_back(std::move(folder));
            chain.push_back(chain.back()->children.back().get());
            at = end;
        }
        for (Folder *folder : chain) {
            folder->files += tally.files;
            folder->bytes += tally.bytes;
        }
    }
    m_tallies.clear();
    sortChildren(*m_root);
}
