// What the disk stack does with a started child and with one that goes: hands it
// to the platform layer's disk arrival, or to the hooks a test set.
#pragma once

#include "WdkFake.h"

namespace wdk {

void HandChildToDiskStack(uint32_t serial, std::shared_ptr<ChildDisk> disk, const DiskStackHooks& hooks);
void TakeChildFromDiskStack(uint32_t serial, const DiskStackHooks& hooks);

} // namespace wdk
