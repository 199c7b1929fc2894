// The few text conversions the engine needs at its borders: wide text for log lines,
// partition labels (UTF-8) into the volume record's UTF-16 field.
#pragma once

#include <cstddef>
#include <string>

// UTF-8 of wide text, for log lines and the test program's output.
std::string NarrowText(const std::wstring& text);
// Wide text of UTF-8; invalid bytes become U+FFFD.
std::wstring WideText(const std::string& text);
// Copies a NUL-ended UTF-8 label of at most inBytes bytes into a UTF-16 field of
// units units, cut to units - 1 and NUL-ended.
void LabelToField(const char* label, size_t inBytes, char16_t* field, size_t units);
