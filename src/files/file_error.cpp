#include "file_error.h"

#include <cerrno>
#include <cstring>

namespace karwen::files {

std::string reasonOf(int err)
{
    switch (err) {
    case EACCES:
    case EPERM:
        return "permission denied";
    case ENOENT:
        return "no such file or folder";
    case ENOTDIR:
        return "a part of the path is not a folder";
    case EISDIR:
        return "it is a folder";
    case ENOSPC:
        return "the disk is full";
    case EDQUOT:
        return "the disk quota is used up";
    case EFBIG:
        return "the file is too large";
    case EROFS:
        return "the disk is read-only";
    case ENAMETOOLONG:
        return "the name is too long";
    case ELOOP:
        return "too many symbolic links";
    case EIO:
        return "the disk reported an error";
    default:
        return std::strerror(err);
    }
}

FileError systemError(const std::string& what, const std::string& path)
{
    return FileError(what + " '" + path + "': " + reasonOf(errno));
}

} // namespace karwen::files
