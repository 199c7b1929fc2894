// The page tree's own result codes, returned by the store unchanged.
#pragma once

constexpr unsigned long URG_BTREE_NO_MEMORY = 0xE01B0001ul;
constexpr unsigned long URG_BTREE_OVER_CAPACITY = 0xE01B0002ul;
constexpr unsigned long URG_BTREE_OVERLAP = 0xE01B0004ul;
constexpr unsigned long URG_BTREE_NOT_FOUND = 0xE01B0008ul;
constexpr unsigned long URG_BTREE_BROKEN_ORDER = 0xE01B0009ul;
constexpr unsigned long URG_BTREE_BAD_SIZES = 0xE01B000Aul;
constexpr unsigned long URG_BTREE_BAD_MAGIC = 0xE01B000Bul;
constexpr unsigned long URG_BTREE_BAD_TAG = 0xE01B000Cul;
constexpr unsigned long URG_BTREE_BAD_PARAMETERS = 0xE01B000Dul;
