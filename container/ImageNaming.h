// The names of an image set: its files, disc labels and index temp files. Every
// call that builds a name answers false when memory runs out.
#pragma once

#include <stddef.h>
#include <stdint.h>

#include "CofranText.h"

namespace ImageNaming {

constexpr size_t kMaxBaseChars = 255;

// folder: up to and including the last "\" or "/" (empty when there is none);
// base: the rest, a trailing ".RVD" removed without regard to case, cut to 255.
bool SplitSetPath(const wchar_t* path, CofranText& folder, CofranText& base);

// The folder of an open file's path: up to and including its last separator,
// looked for from the end down to the second character; empty when there is none.
bool FolderOf(const CofranText& path, CofranText& folder);

// The base a set's file is named by, read back from the name the file has now (its
// folder, ".rvd" in any case and the name number taken off), so that the files of a
// set copied or renamed as a whole are looked for under their new names. Empty when
// the name does not end in nameNumber (when not 0) and ".rvd".
bool OwnBase(const CofranText& path, uint32_t nameNumber, CofranText& base);

// folder + base + number + ".RVD"; no number when nameNumber is 0.
bool FileName(const CofranText& folder, const CofranText& base, uint32_t nameNumber, CofranText& name);

// prefix + the counter in at least three digits.
bool DiscLabel(const wchar_t* prefix, uint32_t counter, CofranText& label);

// folder + "Ind" + n + ".tmp".
bool IndexTempName(const CofranText& folder, uint32_t n, CofranText& name);

bool EndsWithSeparator(const wchar_t* path);

// Copies text with its NUL into out of outChars characters; false when it does not fit.
bool CopyOut(const wchar_t* text, wchar_t* out, unsigned long outChars);
// Copies as much of text as fits out of outChars characters, and its NUL.
void CopyOutCut(const wchar_t* text, wchar_t* out, unsigned long outChars);

} // namespace ImageNaming
