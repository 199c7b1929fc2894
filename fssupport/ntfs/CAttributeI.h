// One attribute of a file, resident or not, whose value can be measured and read.
#pragma once

#include <cstdint>
#include <string>

class CRWContextI;

class CAttributeI {
public:
    virtual bool IsMyself(uint32_t type, const std::u16string& name) const = 0;
    virtual bool GetSize(CRWContextI& context, uint64_t& size) = 0;
    // Reads length bytes from offset; the range must lie inside the value.
    virtual bool GetData(CRWContextI& context, unsigned char* buffer, uint64_t offset, uint64_t length) = 0;
    // This reader never writes a volume: SetData always fails.
    virtual bool SetData(CRWContextI& context, const unsigned char* data, uint64_t offset, uint64_t length) = 0;
    virtual ~CAttributeI() {}
};
