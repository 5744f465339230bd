// Fuzz target: the text the program takes from outside. The first byte chooses the parser, the
// rest is its input:
//   0  the kernel's mount table (/proc/self/mountinfo)
//   1  udev's properties: type, encoded label and encoded UUID, one a line
//   2  a typed path ("~", file:// addresses)
//   3  the case folding: three names split at '\0' bytes, whose order must be consistent
#include "catalogue/casefold.h"
#include "platform/folderlister.h"
#include "platform/mounttable.h"
#include "platform/udevidentity.h"

#include <QList>

#include <cstdint>
#include <cstdlib>
#include <string>

namespace {

int sign(int v)
{
    return (v > 0) - (v < 0);
}

void check(bool ok)
{
    if (!ok)
        std::abort();
}

int compare(const std::string &a, const std::string &b)
{
    return sign(CaseFold::compare(a.data(), qsizetype(a.size()), b.data(), qsizetype(b.size())));
}

std::string folded(const std::string &text)
{
    std::string out;
    CaseFold::appendFolded(out, text.data(), qsizetype(text.size()));
    return out;
}

// Ordered by folded forms, then by bytes; only equal texts compare equal; a total order.
void checkOrder(const std::string &a, const std::string &b, const std::string &c)
{
    const std::string names[] = {a, b, c};
    for (const std::string &x : names) {
        check(compare(x, x) == 0);
        for (const std::string &y : names) {
            const int xy = compare(x, y);
            check(xy == -compare(y, x));
            check((xy == 0) == (x == y));
            const int byFold = sign(folded(x).compare(folded(y)));
            check(byFold == 0 ? xy == sign(x.compare(y)) : xy == byFold);
            for (const std::string &z : names) {
                if (xy <= 0 && compare(y, z) <= 0)
                    check(compare(x, z) <= 0);
            }
        }
    }
    // The text form folds as the bytes do, where the bytes are UTF-8.
    const QString text = QString::fromStdString(a);
    if (text.toStdString() == a)
        check(CaseFold::fold(text).toStdString() == folded(a));
}

} // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t *data, size_t size)
{
    if (size == 0)
        return 0;
    const QByteArray input(reinterpret_cast<const char *>(data + 1), qsizetype(size - 1));
    switch (data[0] % 4) {
    case 0:
        // At most one mount a line.
        check(MountTable::parse(input).size() <= size_t(input.count('\n')) + 1);
        break;
    case 1: {
        const QList<QByteArray> lines = input.split('\n');
        const MediumIdentity id = UdevIdentity::fromProperties(lines.value(0), lines.value(1),
                                                               lines.value(2));
        check(id.ok() || (id.serial == 0 && id.label.isEmpty()));
        // Decoding never lengthens.
        check(UdevIdentity::decodeEnc(input).size() <= input.size());
        break;
    }
    case 2: {
        const QString path = QString::fromUtf8(input);
        const QByteArray native = FolderLister::typedPath(path);
        (void)FolderLister::displayName(native);
        break;
    }
    case 3: {
        const QList<QByteArray> parts = input.split('\0');
        checkOrder(parts.value(0).toStdString(), parts.value(1).toStdString(),
                   parts.value(2).toStdString());
        break;
    }
    }
    return 0;
}
