// The executor's own tools: the file-system check through "Tillory.mo", and deleting
// every file of an image set through the image container.
#include <windows.h>

#include <new>

#include "COrdwell.h"
#include "IKSCofran.h"
#include "OrdwellGuards.h"
#include "tillory/ITilloryModule.h"

unsigned long COrdwell::OnCheckFileSystem(_KS_CMD_PACKET* packet, _KS_CMD_PACKET**)
{
    ITilloryModule* module = modules_.openTillory != nullptr ? modules_.openTillory() : nullptr;
    if (module == nullptr)
        return KS_RESULT(KS_MODULE_COMMAND, OrdwellResult::kKindNoModule);
    const auto* r = Request<KS_CMD_WORDS_REQUEST>(packet);
    const unsigned long clean = module->CheckFileSystem(r->Words[0], r->Words[1], r->Words[2], r->Words[3]);
    return clean != 0 ? 0 : OrdwellResult::kFileSystemDamaged;
}

namespace {

// Lists the files of the set that holds path and deletes each; kind 0x10D when one
// of them stays.
unsigned long DeleteSetFiles(IKSCofran* image, const wchar_t* path)
{
    GUID anySet{};
    unsigned long count = 0;
    unsigned long result = image->GetBackupImg(anySet, path, nullptr, &count, KS_SEARCH_FOLDER);
    if (KSFailed(result))
        return result;
    if (count == 0)
        return OrdwellResult::kDeleteSetEmpty;
    _KS_IMG* files = new (std::nothrow) _KS_IMG[count];
    if (files == nullptr)
        return OrdwellResult::kDeleteSetNoMemory;
    result = image->GetBackupImg(anySet, path, files, &count, KS_SEARCH_FOLDER);
    if (KSSucceeded(result)) {
        for (unsigned long i = 0; i < count; ++i) {
            files[i].Path[KS_PATH_CHARS - 1] = L'\0';
            SetFileAttributesW(files[i].Path, FILE_ATTRIBUTE_NORMAL);
            if (!DeleteFileW(files[i].Path))
                result = OrdwellResult::kDeleteSetFileFailed;
        }
    }
    delete[] files;
    return result;
}

} // namespace

unsigned long COrdwell::OnDeleteImageSet(_KS_CMD_PACKET* packet, _KS_CMD_PACKET**)
{
    const wchar_t* path = static_cast<const wchar_t*>(Request<KS_CMD_POINTER_REQUEST>(packet)->Pointer);
    if (path == nullptr)
        return OrdwellResult::kDeleteSetNullPath;
    void* object = nullptr;
    unsigned long result = KSCreateObjectImg(0x10000, 1, &object);
    if (KSSucceeded(result) && object != nullptr) {
        IKSCofran* image = static_cast<IKSCofran*>(object);
        result = DeleteSetFiles(image, path);
        image->Release();
    }
    if (KSSucceeded(result) || KSResultKind(result) == OrdwellResult::kKindDeleteFailed)
        return result;
    // The container could not list a set there: the path is deleted on its own.
    SetFileAttributesW(path, FILE_ATTRIBUTE_NORMAL);
    return DeleteFileW(path) ? 0 : OrdwellResult::kDeleteSetPathFailed;
}
