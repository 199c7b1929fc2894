// FlushFileBuffers: a file's data reach its disk; a device of this layer writes through.
#include "FileObjects.h"
#include "HandleTable.h"

#include <unistd.h>

using namespace ks_platform;

extern "C" BOOL WINAPI FlushFileBuffers(HANDLE handle)
{
    std::shared_ptr<KernelObject> object = HandleTable::Instance().Find(handle);
    if (!object || (object->Kind() != ObjectKind::File && object->Kind() != ObjectKind::Device)) {
        SetLastError(ERROR_INVALID_HANDLE);
        return FALSE;
    }
    if (object->Kind() == ObjectKind::File) {
        const int fd = static_cast<FileObject*>(object.get())->fd.load();
        if (fd < 0 || ::fsync(fd) != 0) {
            SetLastError(ERROR_INVALID_HANDLE);
            return FALSE;
        }
    }
    return TRUE;
}
