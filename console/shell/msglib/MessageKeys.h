// How the message library finds a message: the key of a code in "CODE", and the
// symbol cut from a "CODE" value.
#pragma once

#include <string>

// Code families whose whole code is the key ("%x" of the code).
bool IsWholeCodeFamily(unsigned int code);
// Code families that share the single key "ff00" (internal errors).
bool IsInternalFamily(unsigned int code);

// The key of code in the "CODE" section.
std::string MessageCodeKey(unsigned int code);

// The symbol of a "CODE" value: cut just behind its last "%"; kept whole when its only
// "%" is the first character; empty when it holds no "%".
std::string CutMessageSymbol(const std::string& value);
