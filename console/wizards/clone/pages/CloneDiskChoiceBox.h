// The body the source and destination pages share: their line of text, the disk list
// 200 pixels high, the disk map of disk 0 and the partition colour legend.
#pragma once

#include <gtk/gtk.h>

class CCloneDeviceList;
class CDiskPanel;
class ICensa;
class ITargetPartitionList;

constexpr int kCloneMapMargin = 12;
constexpr int kCloneMapWidth = 640;

GtkWidget* BuildCloneDiskChoiceBox(const char* markup, CCloneDeviceList& list, ITargetPartitionList* owner,
                                   CDiskPanel& map, GtkWidget* legend);
// The disk enumeration a page was given, else the wizard's.
ICensa* CloneCensaOr(ICensa* given);
