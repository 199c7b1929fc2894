#include "FsReaderChooser.h"

#include "KSResult.h"

namespace {
using Factory = unsigned long (*)(unsigned long, unsigned long, void**);

// Creates a reader with the factory and keeps it when it initialises and reports
// one of the accepted kinds; otherwise releases it and returns null.
IKSFSSupport* TryReader(Factory factory, KS_READ_SECTORS_CALLBACK read, KS_WRITE_SECTORS_CALLBACK write,
                        void* context, unsigned long lowestKind, unsigned long highestKind)
{
    void* object = nullptr;
    if (KSFailed(factory(1, 4, &object)) || object == nullptr)
        return nullptr;
    IKSFSSupport* reader = static_cast<IKSFSSupport*>(object);
    if (KSSucceeded(reader->InitFileSystem(read, write, context))) {
        const unsigned long kind = reader->GetFileSystem();
        if (kind >= lowestKind && kind <= highestKind)
            return reader;
    }
    reader->Release();
    return nullptr;
}
} // namespace

unsigned long ChooseFsReader(KS_READ_SECTORS_CALLBACK read, KS_WRITE_SECTORS_CALLBACK write, void* context,
                             unsigned long callerModule, IKSFSSupport** reader)
{
    if (reader == nullptr)
        return KS_RESULT(callerModule, KS_KIND_BAD_ARGUMENT);
    *reader = TryReader(KSCreateObjectFsNt, read, write, context, KS_FS_NTFS, KS_FS_NTFS);
    if (*reader == nullptr)
        *reader = TryReader(KSCreateObjectFsFat, read, write, context, KS_FS_FAT12, KS_FS_FAT32);
    if (*reader == nullptr)
        return KS_RESULT(callerModule, KS_KIND_WRONG_OBJECT);
    return 0;
}
