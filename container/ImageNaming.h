// The names of an image set: its files, disc labels and index temp files.
#pragma once

#include <cstdint>
#include <string>

namespace ImageNaming {

constexpr size_t kMaxBaseChars = 255;

// folder: up to and including the last "\" or "/" (empty when there is none);
// base: the rest, a trailing ".RVD" removed without regard to case, cut to 255.
void SplitSetPath(const wchar_t* path, std::wstring& folder, std::wstring& base);

// The folder of an open file's path: up to and including its last separator,
// looked for from the end down to the second character.
std::wstring FolderOf(const std::wstring& path);

// folder + base + number + ".RVD"; no number when nameNumber is 0.
std::wstring FileName(const std::wstring& folder, const std::wstring& base, uint32_t nameNumber);

// prefix + the counter in three digits.
std::wstring DiscLabel(const std::wstring& prefix, uint32_t counter);

// folder + "Ind" + n + ".tmp".
std::wstring IndexTempName(const std::wstring& folder, uint32_t n);

bool EndsWithSeparator(const wchar_t* path);

// Copies text with its NUL into out of outChars characters; false when it does not fit.
bool CopyOut(const std::wstring& text, wchar_t* out, unsigned long outChars);

} // namespace ImageNaming
