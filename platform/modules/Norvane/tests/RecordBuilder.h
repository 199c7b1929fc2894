// Builds small file records byte by byte for tests of the record parser: a
// 1024-byte "FILE" record with its update-sequence protection applied.
#pragma once

#include <cstdint>
#include <string>
#include <vector>

#include "LittleEndian.h"

class RecordBuilder {
public:
    RecordBuilder& Sequence(uint16_t s) { sequence_ = s; return *this; }
    RecordBuilder& Base(uint64_t reference) { base_ = reference; return *this; }

    // A resident attribute; returns its offset in the record.
    size_t Resident(uint32_t type, const std::u16string& name, const std::vector<unsigned char>& value)
    {
        const size_t nameOffset = 24;
        const size_t valueOffset = Align8(nameOffset + name.size() * 2);
        const size_t length = Align8(valueOffset + value.size());
        std::vector<unsigned char> a(length, 0);
        StoreLE32(&a[0], type);
        StoreLE32(&a[4], static_cast<uint32_t>(length));
        a[8] = 0;
        a[9] = static_cast<unsigned char>(name.size());
        StoreLE16(&a[10], static_cast<uint16_t>(nameOffset));
        StoreLE32(&a[16], static_cast<uint32_t>(value.size()));
        StoreLE16(&a[20], static_cast<uint16_t>(valueOffset));
        for (size_t i = 0; i < name.size(); ++i)
            StoreLE16(&a[nameOffset + 2 * i], name[i]);
        std::copy(value.begin(), value.end(), a.begin() + valueOffset);
        return Add(a);
    }

    // A non-resident attribute with the given mapping pairs.
    size_t NonResident(uint32_t type, const std::u16string& name, int64_t lowestVcn, int64_t highestVcn,
                       uint64_t dataSize, const std::vector<unsigned char>& pairs)
    {
        const size_t nameOffset = 64;
        const size_t pairsOffset = Align8(nameOffset + name.size() * 2);
        const size_t length = Align8(pairsOffset + pairs.size());
        std::vector<unsigned char> a(length, 0);
        StoreLE32(&a[0], type);
        StoreLE32(&a[4], static_cast<uint32_t>(length));
        a[8] = 1;
        a[9] = static_cast<unsigned char>(name.size());
        StoreLE16(&a[10], static_cast<uint16_t>(nameOffset));
        StoreLE64(&a[16], static_cast<uint64_t>(lowestVcn));
        StoreLE64(&a[24], static_cast<uint64_t>(highestVcn));
        StoreLE16(&a[32], static_cast<uint16_t>(pairsOffset));
        StoreLE64(&a[40], (dataSize + 511) / 512 * 512);
        StoreLE64(&a[48], dataSize);
        StoreLE64(&a[56], dataSize);
        for (size_t i = 0; i < name.size(); ++i)
            StoreLE16(&a[nameOffset + 2 * i], name[i]);
        std::copy(pairs.begin(), pairs.end(), a.begin() + pairsOffset);
        return Add(a);
    }

    // The finished record, protected by its update sequence. The unprotected
    // bytes are available through Plain() for edits before Protect().
    std::vector<unsigned char> Build() const { return Protect(Plain()); }

    std::vector<unsigned char> Plain() const
    {
        std::vector<unsigned char> r(1024, 0);
        StoreLE32(&r[0], 0x454C4946);
        StoreLE16(&r[4], 48);
        StoreLE16(&r[6], 3);
        StoreLE16(&r[16], sequence_);
        StoreLE16(&r[20], 56);
        StoreLE16(&r[22], 1);
        StoreLE64(&r[32], base_);
        std::copy(body_.begin(), body_.end(), r.begin() + 56);
        const size_t end = 56 + body_.size();
        StoreLE32(&r[end], 0xFFFFFFFF);
        StoreLE32(&r[24], static_cast<uint32_t>(end + 8));
        StoreLE32(&r[28], 1024);
        return r;
    }

    static std::vector<unsigned char> Protect(std::vector<unsigned char> r)
    {
        StoreLE16(&r[48], 0x0007);
        for (size_t i = 0; i < 2; ++i) {
            r[50 + 2 * i] = r[(i + 1) * 512 - 2];
            r[51 + 2 * i] = r[(i + 1) * 512 - 1];
            StoreLE16(&r[(i + 1) * 512 - 2], 0x0007);
        }
        return r;
    }

    static size_t AttributesStart() { return 56; }

private:
    static size_t Align8(size_t v) { return (v + 7) / 8 * 8; }
    size_t Add(const std::vector<unsigned char>& a)
    {
        const size_t at = 56 + body_.size();
        body_.insert(body_.end(), a.begin(), a.end());
        return at;
    }

    uint16_t sequence_ = 1;
    uint64_t base_ = 0;
    std::vector<unsigned char> body_;
};
