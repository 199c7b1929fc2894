// Wide-string helpers: conversion between the platform's wchar_t text and the
// UTF-16 text stored in image files, a case-folding character compare, a search
// with a one-character wildcard and file-name wildcard matching.
//
// Failures are result codes of module 6 (the string helpers).
#pragma once

#include <windows.h>

// Copy code unit by code unit, up to and including the terminating NUL, at most
// count units. When count units were copied without meeting a NUL, the last one is
// replaced by NUL, so the destination always ends up terminated. Units outside the
// basic plane are neither combined nor split. Kind 0x009 for a null argument or a
// count of 0 (there is no room even for the terminator).
unsigned long UINT16towcs(wchar_t* destination, unsigned long count, const char16_t* source);
unsigned long wcstoUINT16(char16_t* destination, unsigned long count, const wchar_t* source);

// a - b, with ASCII letters of either side compared as lower case.
int CompareWchar(wchar_t a, wchar_t b);

// The first position at or after start where pattern occurs in text, "?" in the
// pattern matching any one character; -1 when there is none or on a null argument
// or a start outside the text. An empty pattern gives start. Case is significant.
int FindingString(const wchar_t* text, const wchar_t* pattern, int start);

// TRUE when the whole text matches the pattern: "*" matches any run of characters
// (also none), "?" exactly one. caseSensitive 0 compares ASCII letters without regard
// to case. An empty pattern matches only an empty text.
BOOL MatchingString(const wchar_t* text, const wchar_t* pattern, int caseSensitive);

// patterns is a sequence of NUL-terminated patterns ended by an empty one. With
// requireAll 0: TRUE when any pattern matches; otherwise TRUE when every pattern
// matches. An empty list gives TRUE.
BOOL MultiMatching(const wchar_t* text, const wchar_t* patterns, int requireAll, int caseSensitive);
