// The root object of Brasket.mo: answers "IBrasketModule" and copies FAT volumes.
#pragma once

#include "IBrasketModule.h"

class CBrasketModule final : public IBrasketModule {
public:
    IObject* GetInterface(const char* key) override;
    unsigned long Release() override { return 1; }
    unsigned long AddRef() override { return 2; }
    unsigned long ObjectReserved3() override { return 0; }
    unsigned long ObjectReserved4() override { return 0; }
    unsigned long CopyFatVolume(const KSFatCopyBlock* block, const KSVolumeSource* source) override;
};
