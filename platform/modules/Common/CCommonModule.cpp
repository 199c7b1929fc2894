#include "CCommonModule.h"

#include <cstring>
#include <cwchar>

#include "CTextConverter.h"

namespace {

// Narrow bytes that are not UTF-8 come from FAT volumes and old tools: read them as the
// FAT volumes' own code page.
const char* const kLegacyCodeSet = "CP437";

const char* NarrowCodeSet(const char* text, size_t bytes)
{
    return CTextConverter::IsUtf8(text, bytes) ? "UTF-8" : kLegacyCodeSet;
}

size_t NarrowLength(const char* text, unsigned long bound)
{
    const void* zero = std::memchr(text, 0, bound);
    return zero != nullptr ? static_cast<size_t>(static_cast<const char*>(zero) - text) : bound;
}

size_t WideLength(const wchar_t* text, unsigned long bound)
{
    size_t n = 0;
    while (n < bound && text[n] != L'\0')
        ++n;
    return n;
}

} // namespace

IObject* CCommonModule::GetInterface(const char* key)
{
    if (key != nullptr && std::strcmp(key, MomGetTypeNameT<ICommonModule>()) == 0)
        return static_cast<ICommonModule*>(this);
    return nullptr;
}

unsigned long CCommonModule::NarrowToUtf8(const char* text, unsigned long bytes, char* out, unsigned long outSize)
{
    if (out == nullptr || outSize == 0)
        return 0;
    out[0] = '\0';
    if (text == nullptr)
        return 0;
    const size_t length = NarrowLength(text, bytes);
    const size_t written = CTextConverter::Convert(NarrowCodeSet(text, length), "UTF-8", text, length, 1, out,
                                                   outSize - 1, "?", 1);
    out[written] = '\0';
    return static_cast<unsigned long>(written);
}

unsigned long CCommonModule::WideToUtf8(const wchar_t* text, unsigned long count, char* out, unsigned long outSize)
{
    if (out == nullptr || outSize == 0)
        return 0;
    out[0] = '\0';
    if (text == nullptr)
        return 0;
    const size_t length = WideLength(text, count);
    const size_t written = CTextConverter::Convert("WCHAR_T", "UTF-8", reinterpret_cast<const char*>(text),
                                                   length * sizeof(wchar_t), sizeof(wchar_t), out, outSize - 1,
                                                   "?", 1);
    out[written] = '\0';
    return static_cast<unsigned long>(written);
}

unsigned long CCommonModule::MultiByteToWide(const char* text, unsigned long bytes, wchar_t* out,
                                             unsigned long outSize)
{
    return NarrowToUtf8(text, bytes, reinterpret_cast<char*>(out), outSize);
}

unsigned long CCommonModule::ConvertText(const char* text, unsigned long bytes, char* out, unsigned long outSize)
{
    return NarrowToUtf8(text, bytes, out, outSize);
}

unsigned long CCommonModule::NarrowToWide(const char* text, unsigned long bytes, wchar_t* out, unsigned long outSize)
{
    if (out == nullptr || outSize == 0)
        return 0;
    out[0] = L'\0';
    if (text == nullptr)
        return 0;
    const size_t length = NarrowLength(text, bytes);
    const wchar_t replacement = L'?';
    const size_t written = CTextConverter::Convert(
        NarrowCodeSet(text, length), "WCHAR_T", text, length, 1, reinterpret_cast<char*>(out),
        (outSize - 1) * sizeof(wchar_t), reinterpret_cast<const char*>(&replacement), sizeof(replacement));
    const size_t characters = written / sizeof(wchar_t);
    out[characters] = L'\0';
    return static_cast<unsigned long>(characters);
}

unsigned long CCommonModule::WideToNarrow(const wchar_t* text, unsigned long bound, char* out, unsigned long outSize)
{
    return WideToUtf8(text, bound, out, outSize);
}

unsigned long CCommonModule::WideToMultiByte(const wchar_t* text, unsigned long count, char* out,
                                             unsigned long outSize)
{
    return WideToUtf8(text, count, out, outSize);
}
