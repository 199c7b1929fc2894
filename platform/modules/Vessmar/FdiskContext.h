// Owns a libfdisk context for one call. Reading lets the device go without flushing
// it; writing flushes what was written before the device is let go.
#pragma once

#include <libfdisk/libfdisk.h>

class FdiskContext {
public:
    enum class Release { WithoutFlush = 1, Flushed = 0 };

    explicit FdiskContext(Release release) : release_(release) {}
    ~FdiskContext()
    {
        if (cxt != nullptr) {
            // A device that could not be assigned (a listed disk that cannot be
            // opened) has nothing to let go: libfdisk asserts on it.
            if (fdisk_get_devfd(cxt) >= 0)
                fdisk_deassign_device(cxt, static_cast<int>(release_));
            fdisk_unref_context(cxt);
        }
    }
    FdiskContext(const FdiskContext&) = delete;
    FdiskContext& operator=(const FdiskContext&) = delete;

    fdisk_context* cxt = fdisk_new_context();

private:
    Release release_;
};
