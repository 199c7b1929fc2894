// What the walks of the restore wizard from the console's launcher do on screen: the
// running wizard and its pages, Next pressed as a user reaches it, rows of the volume
// and target lists found and selected with clicks and keys, sizes typed.
#pragma once

#include <gtk/gtk.h>

#include <cstdint>
#include <functional>
#include <string>

#include "CRestoreWizardDialog.h"
#include "GuiTest.h"

class CDeviceList;
class CEditPartitionPage;
class CReadImageFilePartitionPage;

namespace launcher_walk {

CRestoreWizardDialog* W();
bool On(int page);
GtkWidget* Next();
void PressNext();
GtkTreePath* FindRow(GtkWidget* view, const std::function<bool(GtkTreeModel*, GtkTreeIter*)>& matches);
bool Found(GtkTreePath* path);
bool ClickRow(GtkWidget* view, GtkTreePath* path);
bool CursorOn(GtkWidget* view, GtkTreePath* path);
void SelectRow(GtkWidget* view, GtkTreePath* path);
CReadImageFilePartitionPage* VolumePage();
CDeviceList* TargetList();
CEditPartitionPage* EditPage();
GtkTreePath* VolumeRow(uint64_t sourceStart);
GtkTreePath* TargetRow(int disk, uint64_t at);
void TypeInto(GtkWidget* spin, const std::string& text);
std::string Sh(const std::string& command);
// Copies the walks' target disk (partitions holding other file systems and files) to
// path; false when the fixture or the copy failed.
bool CopyWalkTarget(const std::string& path);

// The walks' base: the modules the console loads by name linked into its bin/ (the
// working directory), as they ship beside the console, and a main window to start the
// wizard from.
class LauncherWalkTest : public GuiTest {
protected:
    void SetUp() override;
    void TearDown() override;
    GtkWidget* window = nullptr;
};

} // namespace launcher_walk
