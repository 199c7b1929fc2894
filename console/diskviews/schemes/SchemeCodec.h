// Scheme records to and from their little-endian file bytes.
#pragma once

#include <cstdint>

#include "SchemeInfo.h"
#include "SchemePartition.h"

void EncodeSchemeInfo(const tagSCHEME_INFO& info, uint8_t (&out)[kSchemeInfoSize]);
void DecodeSchemeInfo(const uint8_t (&in)[kSchemeInfoSize], tagSCHEME_INFO& info);
void EncodeSchemePartition(const tagSCHEME_PARTITION& record, uint8_t (&out)[kSchemePartitionSize]);
void DecodeSchemePartition(const uint8_t (&in)[kSchemePartitionSize], tagSCHEME_PARTITION& record);
