// The driver only reads sets: the container object's writing calls are refused
// (kind 0x006, the wrong object for the call) and no writer is ever made.
#include "CCofran.h"
#include "CofranResult.h"

CofranWriter* CCofran::Writer() { return nullptr; }
void CCofran::CloseWriter() {}
void CCofran::DeleteWriter() {}

unsigned long CCofran::OpenForBackup(const wchar_t*) { return COFRAN_FAIL(KS_KIND_WRONG_OBJECT); }
unsigned long CCofran::GetAvailableCofranName(wchar_t*, unsigned long) { return COFRAN_FAIL(KS_KIND_WRONG_OBJECT); }
unsigned long CCofran::GetAvailableLabel(wchar_t*, unsigned long) { return COFRAN_FAIL(KS_KIND_WRONG_OBJECT); }
unsigned long CCofran::BeginBackup(const wchar_t*, unsigned long, const _KS_FILTERS_HEAD*, const wchar_t*,
                                   unsigned long, unsigned long)
{
    return COFRAN_FAIL(KS_KIND_WRONG_OBJECT);
}
unsigned long CCofran::WriteVolumeInfo(const _KS_VOLUME*, unsigned long) { return COFRAN_FAIL(KS_KIND_WRONG_OBJECT); }
unsigned long CCofran::WriteData(unsigned long, const void*, unsigned long, unsigned long long)
{
    return COFRAN_FAIL(KS_KIND_WRONG_OBJECT);
}
unsigned long CCofran::WriteSector(int, const void*, unsigned long, unsigned long)
{
    return COFRAN_FAIL(KS_KIND_WRONG_OBJECT);
}
unsigned long CCofran::EndBackup(unsigned long) { return COFRAN_FAIL(KS_KIND_WRONG_OBJECT); }
