// Thread ids and what a thread leaves behind when it ends.
#pragma once

#include <windows.h>

#include <memory>

namespace ks_platform {

class MutexObject;

// A new id, as the next thread will get (multiples of 4, never 0).
DWORD NewThreadId();
// Gives the calling thread the id (a thread started by the layer takes the id its
// creator already reported).
void AdoptThreadId(DWORD id);
DWORD CurrentThreadId();

// Remembers that the calling thread owns the mutex, so that the mutex is abandoned
// when the thread ends without releasing it. Called with the wait lock held.
void NoteOwnedMutex(const std::shared_ptr<MutexObject>& mutex);

// The priority of the calling thread as set through GetCurrentThread().
int& CurrentThreadPriority();

} // namespace ks_platform
