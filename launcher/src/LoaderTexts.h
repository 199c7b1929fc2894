// The launcher's own strings: caption, messages, command lines and object names.
#pragma once

namespace loader {

constexpr const char* kCaption = "Zendrel Kivra Backup";

constexpr const char* kWrongSystem = "Zendrel Kivra Backup should be run under Windows 2000/XP/2003/VISTA/2008!";
constexpr const char* kSafeMode = "Zendrel Kivra Backup cannot be run under safe mode.";
constexpr const char* kNotAdministrator = "You must have administrator rights to run Zendrel Kivra Backup!";
constexpr const char* kReinstall = "You must reinstall Zendrel Kivra Backup!";
constexpr const char* kRestartOrReinstall = "You must restart computer or reinstall Zendrel Kivra Backup!";
constexpr const char* kAlreadyRunning = "Zendrel Kivra Backup has been running!";
constexpr const char* kMainFailed =
    "Failed to load Main.exe. Maybe you do not have enough privileges to get full access to all Zendrel Kivra "
    "Backup functionality.";
constexpr const char* kIncompatibleFormat =
    "Zendrel Kivra Backup Detects some incompatible software(s) installed on the computer as blow.\n%s\nIf "
    "Zendrel Kivra Backup fails to run, please close or uninstall it and try again.";

constexpr const char* kMainCommandLine = "Main.exe run win32";
constexpr const char* kCrashReporterCommandLine = "Grellic";

constexpr const char* kInstanceMutex = "RV_Mutex_090327_Dalmorn";
constexpr const char* kLoaderMutex = "RV_Loader_{E1AB3D3B-FEBF-4281-BD7E-5655BE739E67}";
constexpr const char* kCrashEvent = "RV_Crash_{FC1A0E29-3523-4152-B110-3340363E5DB7}";

constexpr const char* kSnapshotDevice = "\\\\.\\zendbakdrv1";
constexpr const char* kZoneAlarmDevice = "\\\\.\\vsdatant";

// The volume class and the disk-drive class of the device manager.
constexpr const char* kVolumeClassKey =
    "SYSTEM\\CurrentControlSet\\Control\\Class\\{71A27CDD-812A-11D0-BEC7-08002BE2092F}";
constexpr const char* kDiskClassKey =
    "SYSTEM\\CurrentControlSet\\Control\\Class\\{4D36E967-E325-11CE-BFC1-08002BE10318}";
constexpr const char* kBitDefenderKey = "SOFTWARE\\BitDefender\\About";

constexpr unsigned kWarningBytes = 512;
constexpr unsigned kProductNameBytes = 512;

} // namespace loader
