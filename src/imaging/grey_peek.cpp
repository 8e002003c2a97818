// Whether a photo file is grey, read from its headers alone, so that a
// resumed measurement can judge thousands of photos without decoding them.
#include "codecs.h"
#include "errors.h"
#include "file_descriptor.h"
#include "memory_codecs.h"

#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <algorithm>
#include <cerrno>
#include <vector>

namespace rix {

namespace {

// The headers of nearly every photo lie in its first 64 KiB; a JPEG whose
// metadata segments come first may need more, read eight times as much a
// step, up to the whole file.
constexpr std::size_t kFirstRead = 64 * 1024;

std::vector<uint8_t> readHead(int fd, std::size_t size)
{
    std::vector<uint8_t> head(size);
    std::size_t got = 0;
    while (got < size) {
        const ssize_t n = ::pread(fd, head.data() + got, size - got, off_t(got));
        if (n < 0 && errno == EINTR)
            continue;
        if (n <= 0)
            break;
        got += std::size_t(n);
    }
    head.resize(got);
    return head;
}

} // namespace

bool fileIsGrey(const std::string& path)
{
    const karwen::files::FileDescriptor file(::open(path.c_str(), O_RDONLY | O_CLOEXEC | O_NONBLOCK));
    struct stat info { };
    if (file.get() < 0 || ::fstat(file.get(), &info) != 0)
        throw Error("'" + path + "': cannot be read");
    if (!S_ISREG(info.st_mode))
        throw Error("'" + path + "': not a regular file");
    const auto size = std::size_t(info.st_size);
    for (std::size_t limit = kFirstRead;; limit *= 8) {
        const std::vector<uint8_t> head = readHead(file.get(), std::min(limit, size));
        try {
            if (head.size() >= 2 && head[0] == 'B' && head[1] == 'M')
                return bmpIsGrey(head.data(), head.size());
            return jpegIsGrey(head.data(), head.size());
        } catch (const Error& e) {
            if (head.size() >= size)
                throw Error("'" + path + "': " + e.what());
        }
    }
}

} // namespace rix
