// The plug-in record a bus child's volume "\\.\X:" answers with, and the letter the
// driver keeps for it.
#pragma once

#include "ZeDiskControl.h"

#include <cstdint>

// Reads the record of the volume with the letter; false when the volume does not
// open or does not answer.
bool ReadVolumeRecord(char letter, uint8_t (&record)[ZEDISK_PLUGIN_RECORD_SIZE]);
// Sends the record back with the volume's present letter in it (the answer is not
// checked).
void SendVolumeLetter(char letter, uint8_t (&record)[ZEDISK_PLUGIN_RECORD_SIZE]);
