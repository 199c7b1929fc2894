// Whether an image file is read from a disc. A disc's image sets are restored with
// the sizes they were made with (nothing on a disc is the target of the restore), and
// only a disc's own mounts are exempt from the guard against restoring over the disk
// or partition that holds the image file.
#pragma once

#include <string>

// True when the wide path lies under the discs' mount folder "/mnt/CD".
bool IsCdromPath(const wchar_t* path);
// The same for the console's multibyte path, turned wide under the environment's locale.
bool IsCdromImagePath(const char* path);
// True only when the mount point that holds path is one of the disc list's mounts
// ("/mnt/volcdrominfo"); a folder merely named "CD" on a hard disk is not a disc.
bool IsOnDiscMount(const char* path);
