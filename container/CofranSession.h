// What every part of the container object shares while a set is open: the open
// mode, the password and the cipher keyed from it, the caller's callback and temp
// folder, and the set's folder and base name. The container object owns it; the
// open image file, the set-file finder, the volume reader and the writer refer to it.
#pragma once

#include "AesCipher.h"
#include "CofranText.h"
#include "IKSCofran.h"

struct CofranSession {
    CofranSession();

    unsigned long Use() const { return openMode & KS_OPEN_USE_MASK; }
    bool DiscSet() const { return (openMode & KS_OPEN_DISC_SET) != 0; }

    // Keys the cipher from password (bytes: its characters x sizeof(wchar_t)).
    unsigned long SetPassword(const wchar_t* password, unsigned long bytes);
    void ForgetPassword();
    // Whether the password given to OpenCofran is the one whose digest is given.
    bool PasswordMatches(const uint8_t digest[16]) const;
    // The password check of a file's head when the file is opened for reading.
    unsigned long CheckPassword(const _KS_IMG_HEAD& head) const;

    KS_IMG_CALLBACK callback = nullptr;
    void* callbackContext = nullptr;
    CofranText tempFolder;

    unsigned long openMode = 0;
    unsigned char password[KS_PATH_CHARS]; // UTF-8 form, zero-filled
    unsigned long passwordLength = 0;      // L: its character count
    AesCipher cipher;

    CofranText folder;   // the set's folder, with its separator
    CofranText baseName; // the set's file name without folder, number and extension
};
