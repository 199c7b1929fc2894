// The image file open for reading: its head and tail, its directory lists, and the
// stored blobs of its data area. One file at a time; the set-file finder moves it
// to another file of the set when a read needs one.
#pragma once

#include <cstdint>

#include "BlobCodec.h"
#include "CofranBuffer.h"
#include "CofranFile.h"
#include "CofranSession.h"
#include "CofranText.h"
#include "KSImageFormat.h"

class ImageFileReader {
public:
    explicit ImageFileReader(CofranSession& session);

    // Opens path, checks its ends and the password; the set's folder and base name
    // are taken from the first file opened.
    unsigned long Open(const wchar_t* path);
    void Close();
    // Closes the file and forgets everything of it.
    void Forget();
    bool IsOpen() const { return file_.IsOpen(); }

    const _KS_IMG_HEAD& Head() const { return head_; }
    const _KS_IMG_TAIL& Tail() const { return tail_; }
    const CofranText& Path() const { return path_; }

    // Whether size bytes from stream offset offset lie in this file's data area.
    bool Holds(uint64_t offset, uint64_t size) const;
    uint64_t FilePosition(uint64_t offset) const { return offset - tail_.Base + tail_.DataStart; }

    // Refuses sizes no blob of raw bytes can have, before anything is read.
    static unsigned long CheckStoredSize(uint32_t stored, uint32_t raw);
    // Reads size bytes at a file position; a failed read is reported to the
    // callback, which may have it retried.
    unsigned long ReadBytes(uint64_t pos, void* buffer, uint32_t size);
    // Reads and decodes the blob at a stream offset of this file.
    unsigned long ReadStored(uint64_t offset, uint32_t stored, KSBlobGroup group, unsigned char* out, uint32_t raw);

    BlobCodec::Settings Settings();
    BlobCodec& Codec() { return codec_; }
    unsigned long ReadDirectoryBlob(uint32_t pos, uint32_t raw, uint32_t stored, KSBlobGroup group,
                                    CofranBuffer<unsigned char>& out);
    unsigned long LoadVersions(CofranBuffer<_KS_VERSION>& out);
    unsigned long LoadLabels(CofranBuffer<_KS_CDINFO>& out);
    unsigned long LoadNames(CofranBuffer<_KS_IMGNAME_NO>& out);
    unsigned long LoadVolumes(CofranBuffer<_KS_VOLUME>& out);

    // Frees the buffer stored blobs are read into.
    void ReleaseBuffers();

private:
    CofranSession& session_;
    CofranFile file_;
    _KS_IMG_HEAD head_;
    _KS_IMG_TAIL tail_;
    CofranText path_;
    CofranBuffer<unsigned char> stored_; // stored bytes on their way to the codec
    BlobCodec codec_;
};
