// The text conversion module's interface ("Common.mo", key "ICommonModule").
//
// Narrow file-system text is UTF-8 (bytes that are not valid UTF-8 are read as code
// page 437, the FAT volumes' own), display text is UTF-8, wide text is wchar_t.
// Every input length is an upper bound: conversion also stops at a zero character.
// Every output is terminated within its size and cut only between whole characters.
// Each operation returns the number of units written before the terminator.
#pragma once

#include "MomPtr.h"

class ICommonModule : public IObject {
public:
    virtual unsigned long CommonReserved5() = 0;  // slot 5
    virtual unsigned long CommonReserved6() = 0;  // slot 6
    // File-system text to display text. The buffer is declared wide, as on every
    // platform of the family, but receives the UTF-8 bytes that GTK shows; outSize is in
    // bytes (callers give 2n + 2).
    virtual unsigned long MultiByteToWide(const char* text, unsigned long bytes, wchar_t* out,
                                          unsigned long outSize) = 0;  // slot 7
    // Display text typed by the user back to file-system text; outSize in bytes.
    virtual unsigned long ConvertText(const char* text, unsigned long bytes, char* out,
                                      unsigned long outSize) = 0;  // slot 8
    // Narrow text to wide characters; outSize in wide characters.
    virtual unsigned long NarrowToWide(const char* text, unsigned long bytes, wchar_t* out,
                                       unsigned long outSize) = 0;  // slot 9
    // Wide text back to narrow text. Callers size the input as 2 x wcslen + 2, a
    // figure from 2-byte characters: it is taken as a bound in characters, and the
    // zero character ends the text first. outSize in bytes.
    virtual unsigned long WideToNarrow(const wchar_t* text, unsigned long bound, char* out,
                                       unsigned long outSize) = 0;  // slot 10
    // Wide text (a volume label) to display text; count in characters, outSize in bytes.
    virtual unsigned long WideToMultiByte(const wchar_t* text, unsigned long count, char* out,
                                          unsigned long outSize) = 0;  // slot 11

protected:
    ~ICommonModule() {}
};
