// Fuzz target: the medium reader on any bytes, as the image of a disc or stick. The input is
// written to a memory file and read through its /proc/self/fd path, as libblkid needs a path.
#include "platform/mediumreader.h"

#include <sys/mman.h>
#include <unistd.h>

#include <cstdint>
#include <cstdio>
#include <cstdlib>

extern "C" int LLVMFuzzerTestOneInput(const uint8_t *data, size_t size)
{
    static const int fd = ::memfd_create("vellumark-medium", MFD_CLOEXEC);
    static const QString path = QStringLiteral("/proc/self/fd/%1").arg(fd);
    if (fd < 0 || ::ftruncate(fd, 0) != 0) {
        std::perror("memory file");
        std::abort();
    }
    for (size_t done = 0; done < size;) {
        const ssize_t n = ::pwrite(fd, data + done, size - done, off_t(done));
        if (n <= 0) {
            std::perror("memory file");
            std::abort();
        }
        done += size_t(n);
    }
    const MediumIdentity id = MediumReader::read(path);
    // What an identity may be, whatever the bytes.
    if (size == 0 && id.status == MediumIdentity::Read)
        std::abort();
    if (id.status != MediumIdentity::Read && (id.serial != 0 || !id.label.isEmpty()))
        std::abort();
    return 0;
}
