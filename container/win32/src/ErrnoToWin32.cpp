#include "Win32Layer.h"

#include <cerrno>

namespace ks_win32 {

// Callers compare GetLastError with Win32 numbers; reporting raw errno values would
// confuse them (EIO is 5, which reads as ERROR_ACCESS_DENIED), so every error number
// is translated and the ones without a counterpart become ERROR_GEN_FAILURE.
DWORD ErrnoToWin32(int err)
{
    switch (err) {
    case 0:
        return ERROR_SUCCESS;
    case EEXIST:
        return ERROR_ALREADY_EXISTS;
    case EACCES:
    case EPERM:
    case EISDIR:
        return ERROR_ACCESS_DENIED;
    case ENOSPC:
    case EDQUOT:
        return ERROR_DISK_FULL;
    case EFBIG:
        return ERROR_HANDLE_DISK_FULL;
    // The device behind the handle is gone.
    case ENXIO:
    case ENODEV:
        return ERROR_INVALID_FUNCTION;
    case ENOENT:
        return ERROR_FILE_NOT_FOUND;
    case EIO:
    case ESTALE:
    case ENOTCONN:
    case ECONNRESET:
    case ECONNABORTED:
    case ENETDOWN:
    case ENETUNREACH:
    case ENETRESET:
    case EHOSTDOWN:
    case EHOSTUNREACH:
    case ENOMEDIUM:
        return ERROR_NETNAME_DELETED;
    case ENOTDIR:
    case ELOOP:
        return ERROR_PATH_NOT_FOUND;
    case EROFS:
        return ERROR_WRITE_PROTECT;
    case EBADF:
        return ERROR_INVALID_HANDLE;
    case EINVAL:
        return ERROR_INVALID_PARAMETER;
    case ENOMEM:
        return ERROR_NOT_ENOUGH_MEMORY;
    case EMFILE:
    case ENFILE:
        return ERROR_TOO_MANY_OPEN_FILES;
    case ENAMETOOLONG:
        return ERROR_FILENAME_EXCED_RANGE;
    case EBUSY:
    case ETXTBSY:
        return ERROR_SHARING_VIOLATION;
    case ENOTEMPTY:
        return ERROR_DIR_NOT_EMPTY;
    case EPIPE:
        return ERROR_BROKEN_PIPE;
    case ESPIPE:
    case EOPNOTSUPP:
        return ERROR_NOT_SUPPORTED;
    case EILSEQ:
        return ERROR_INVALID_NAME;
    default:
        return ERROR_GEN_FAILURE;
    }
}

} // namespace ks_win32
