#include "ImageEnds.h"

#include "CofranResult.h"

unsigned long ReadImageEnds(CofranFile& file, _KS_IMG_HEAD* head, _KS_IMG_TAIL* tail)
{
    unsigned char headBytes[KS_IMG_HEAD_SIZE];
    unsigned char tailBytes[KS_IMG_TAIL_SIZE];
    uint32_t got = 0;
    if (!file.ReadAt(0, headBytes, KS_IMG_HEAD_SIZE, &got) || got != KS_IMG_HEAD_SIZE ||
        LoadLE32(headBytes) != KS_IMG_MAGIC)
        return COFRAN_FAIL(KS_KIND_BAD_DATA);
    uint64_t size = 0;
    if (!file.Size(&size) || size < KS_IMG_HEAD_SIZE + KS_IMG_TAIL_SIZE)
        return COFRAN_FAIL(KS_KIND_BAD_DATA);
    if (!file.ReadAt(size - KS_IMG_TAIL_SIZE, tailBytes, KS_IMG_TAIL_SIZE, &got) || got != KS_IMG_TAIL_SIZE ||
        LoadLE32(tailBytes + offsetof(_KS_IMG_TAIL, Magic)) != KS_IMG_MAGIC)
        return COFRAN_FAIL(KS_KIND_BAD_DATA);
    KSImgHeadFromBytes(headBytes, *head);
    KSImgTailFromBytes(tailBytes, *tail);
    if (head->Version != KS_IMG_VERSION)
        return COFRAN_FAIL(KS_KIND_BAD_VERSION);
    if (KSImgHeadChecksum(headBytes) != head->Checksum)
        return COFRAN_FAIL(KS_KIND_BAD_DATA);
    if (KSImgTailChecksum(tailBytes) != tail->Checksum)
        return COFRAN_FAIL(KS_KIND_BAD_DATA);
    // The data area lies between the directory and the tail.
    if (tail->DataStart > size || tail->DataLength > size - tail->DataStart)
        return COFRAN_FAIL(KS_KIND_BAD_DATA);
    return 0;
}

unsigned long OpenImageEnds(CofranFile& file, const wchar_t* path, _KS_IMG_HEAD* head, _KS_IMG_TAIL* tail)
{
    if (!file.OpenRead(path))
        return COFRAN_FAIL(KS_KIND_OPEN_FAILED);
    const unsigned long rc = ReadImageEnds(file, head, tail);
    if (KSFailed(rc))
        file.Close();
    return rc;
}

void EncodeHead(_KS_IMG_HEAD& head, unsigned char out[KS_IMG_HEAD_SIZE])
{
    head.Checksum = 0;
    KSImgHeadToBytes(head, out);
    head.Checksum = KSImgHeadChecksum(out);
    StoreLE32(out + offsetof(_KS_IMG_HEAD, Checksum), head.Checksum);
}

void EncodeTail(_KS_IMG_TAIL& tail, unsigned char out[KS_IMG_TAIL_SIZE])
{
    tail.Checksum = 0;
    KSImgTailToBytes(tail, out);
    tail.Checksum = KSImgTailChecksum(out);
    StoreLE32(out + offsetof(_KS_IMG_TAIL, Checksum), tail.Checksum);
}

bool ReadImageHead(const wchar_t* path, _KS_IMG_HEAD* head)
{
    CofranFile file;
    if (!file.OpenRead(path))
        return false;
    unsigned char bytes[KS_IMG_HEAD_SIZE];
    uint32_t got = 0;
    if (!file.ReadAt(0, bytes, KS_IMG_HEAD_SIZE, &got) || got != KS_IMG_HEAD_SIZE)
        return false;
    KSImgHeadFromBytes(bytes, *head);
    return head->Magic == KS_IMG_MAGIC && head->Version == KS_IMG_VERSION && KSImgHeadChecksum(bytes) == head->Checksum;
}
