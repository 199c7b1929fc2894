// Waits for the disk just plugged in to come up and gives its volume the wanted
// letter. Only a volume that answers with this mount's disk id is taken, so a disk
// of someone else arriving at the same time keeps its letter.
#pragma once

#include <windows.h>

#include <cstdint>

class MountArrival {
public:
    MountArrival(unsigned wantedLetter, uint32_t diskId) : wanted_(wantedLetter), diskId_(diskId) {}

    // Notes the disk-access devices that open and the letters present before the
    // plug-in.
    void NoteBefore();
    // Runs up to passes passes; 0 once the volume has the wanted letter, kind 0x015
    // when it never did, or the failure of a letter step.
    unsigned long Wait(unsigned passes);

private:
    static constexpr unsigned kDisks = 100;
    // Step one of a pass: a new disk of ours gets the letter. True with result when
    // the pass is decided.
    bool TryNewDisks(unsigned long& result);
    // Step two: a new letter of ours is the volume (moved when it is not the wanted one).
    bool TryNewLetters(unsigned long& result);
    bool IsOurs(char letter);
    unsigned long MoveLetter(char from);

    unsigned wanted_;
    uint32_t diskId_;
    bool diskBefore_[kDisks] = {};
    DWORD lettersBefore_ = 0;
};
