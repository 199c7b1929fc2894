// The progress function the engine hands to an outside copier (through Relayon): the
// copier's messages move a context of its own, and each refresh turns the context
// into the record's current percent, overall percent, elapsed time and step text.
#pragma once

#include <windows.h>

#include <cstdint>

class CRestoreProgress;

struct RestoreCopierContext {
    uint32_t startValue;
    double base;        // percent
    double tenths;
    uint32_t operationId;
    uint32_t operationPercent; // 0..100
    uint32_t weight;
    uint32_t scale;
    const void* info;   // passed on to LoadOperationName
    CRestoreProgress* keeper;
    // The refresh's own state: the total already added to the current percent and
    // the two throttles (percent messages, cancel polls), per copier run.
    uint32_t lastTotal;
    DWORD lastPercentTick;
    DWORD lastCancelTick;
    bool percentRefreshed;
    bool cancelRefreshed;
    DWORD(WINAPI* tick)(); // GetTickCount; tests put a clock of their own here
    int (*operationName)(unsigned long id, char* text, const void* info);
};

// A zero-filled context for a copier run over keeper: scale 100.
void BeginCopierContext(RestoreCopierContext& context, CRestoreProgress& keeper);

// The function itself: kind 0..14 with up to two values; 0, or 1223 to a cancel poll
// (kind 14) once the user has cancelled.
unsigned long RestoreCopierProgress(void* context, unsigned long kind, unsigned long value, unsigned long value2);
