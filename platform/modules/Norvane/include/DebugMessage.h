// Diagnostic text of the NTFS layer. It changes no result; it is printed to stderr
// only when the environment variable NORVANE_DEBUG is set, so that a damaged volume
// in a test or on a recovery system does not flood the console.
#pragma once

void DebugMessage(const char* format, ...) __attribute__((format(printf, 1, 2)));
