// The root object of Common.mo and its one interface.
#pragma once

#include "MomPtr.h"
#include "common/ICommonModule.h"

class CCommonModule final : public IModule, public ICommonModule {
public:
    IObject* GetInterface(const char* key) override;
    // The root lives as long as the process: references are not counted.
    unsigned long Release() override { return 1; }
    unsigned long AddRef() override { return 1; }
    unsigned long ObjectReserved3() override { return 0; }
    unsigned long ObjectReserved4() override { return 0; }

    unsigned long CommonReserved5() override { return 0; }
    unsigned long CommonReserved6() override { return 0; }
    unsigned long MultiByteToWide(const char* text, unsigned long bytes, wchar_t* out, unsigned long outSize) override;
    unsigned long ConvertText(const char* text, unsigned long bytes, char* out, unsigned long outSize) override;
    unsigned long NarrowToWide(const char* text, unsigned long bytes, wchar_t* out, unsigned long outSize) override;
    unsigned long WideToNarrow(const wchar_t* text, unsigned long bound, char* out, unsigned long outSize) override;
    unsigned long WideToMultiByte(const wchar_t* text, unsigned long count, char* out, unsigned long outSize) override;

private:
    static unsigned long NarrowToUtf8(const char* text, unsigned long bytes, char* out, unsigned long outSize);
    static unsigned long WideToUtf8(const wchar_t* text, unsigned long count, char* out, unsigned long outSize);
};
