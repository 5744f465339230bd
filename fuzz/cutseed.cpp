// Cuts a disc or stick image to the bytes the medium reader needs: the shortest prefix (in
// 512-byte steps) from which it reads the same identity as from the whole image.
// Usage: cutseed IMAGE OUT. Fails when the whole image does not read.
#include "platform/mediumreader.h"

#include <QFile>

#include <sys/mman.h>
#include <unistd.h>

#include <cstdio>

namespace {

int g_fd = -1;

MediumIdentity readPrefix(const QByteArray &image, qint64 length)
{
    if (::ftruncate(g_fd, 0) != 0 || ::pwrite(g_fd, image.constData(), size_t(length), 0) != length)
        return {};
    return MediumReader::read(QStringLiteral("/proc/self/fd/%1").arg(g_fd));
}

bool same(const MediumIdentity &a, const MediumIdentity &b)
{
    return a.status == b.status && a.type == b.type && a.label == b.label && a.serial == b.serial;
}

} // namespace

int main(int argc, char **argv)
{
    if (argc != 3)
        return 2;
    QFile in(QFile::decodeName(argv[1]));
    if (!in.open(QIODevice::ReadOnly))
        return 1;
    const QByteArray image = in.readAll();
    g_fd = ::memfd_create("cutseed", MFD_CLOEXEC);
    const MediumIdentity whole = readPrefix(image, image.size());
    if (g_fd < 0 || !whole.ok()) {
        std::fprintf(stderr, "%s: not read as a medium\n", argv[1]);
        return 1;
    }
    qint64 low = 512, high = image.size();
    while (low < high) {
        const qint64 middle = (low + high) / 2 / 512 * 512;
        if (middle >= low && same(readPrefix(image, middle), whole))
            high = middle;
        else
            low = middle + 512 > low ? middle + 512 : low + 512;
    }
    QFile out(QFile::decodeName(argv[2]));
    if (!out.open(QIODevice::WriteOnly) || out.write(image.constData(), high) != high)
        return 1;
    std::printf("%s: %s \"%s\" %08X, %lld of %lld bytes\n", argv[2], qPrintable(whole.type),
                qPrintable(whole.label), whole.serial, high, qint64(image.size()));
    return 0;
}
