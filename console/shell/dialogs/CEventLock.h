// A named lock that the console's single GTK thread never needs: every operation
// does nothing.
#pragma once

class CEventLock {
public:
    explicit CEventLock(const char* name) { (void)name; }
    void Lock() {}
    void UnLock() {}
    int IsLocked() { return 0; }
    int LockTime(int milliseconds)
    {
        (void)milliseconds;
        return 0;
    }
};
