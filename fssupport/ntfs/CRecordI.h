// A file as the attribute reader sees it: one record, or a base record with its
// child records.
#pragma once

#include <cstdint>
#include <memory>
#include <string>

#include "CAttributeI.h"

class CRecordI {
public:
    // True when recordNumber is one of this file's records.
    virtual bool IsMyself(uint64_t recordNumber) const = 0;
    // A new attribute object for that type and name, or null when the file has no
    // such attribute or it is damaged.
    virtual std::unique_ptr<CAttributeI> GetAttribute(uint32_t type, const std::u16string& name) const = 0;
    virtual ~CRecordI() {}
};
