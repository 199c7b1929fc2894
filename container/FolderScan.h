// Lists the files of a folder (pattern folder + "*"), "." and ".." left out.
#pragma once

#include "CofranBuffer.h"
#include "CofranText.h"

// False when the search cannot start, finds nothing, or memory runs out.
bool ScanFolder(const CofranText& folder, CofranBuffer<CofranText>& names);
