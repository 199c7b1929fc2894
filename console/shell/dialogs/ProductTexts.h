// The product's own texts in the about and version dialogs.
#pragma once

namespace product_texts {
constexpr const char* kAboutTitle = "About Zendrel Kivra Backup";
constexpr int kAboutWidth = 420;
constexpr int kAboutHeight = 190;
constexpr const char* kNameAndVersion = "Zendrel Kivra Backup 1.1";
constexpr const char* kVisitUs = "For the latest product information, visit us";
constexpr const char* kWebAddress = "http://www.zendrel.example/kivra-backup";
constexpr const char* kNotice = "Copyright (C) Zendrel. All rights reserved.";
constexpr const char* kChecking = "Zendrel Kivra Backup is checking for the latest version...";
constexpr const char* kNewVersionFound = "Zendrel Kivra Backup has detected a new version available.";
constexpr const char* kVersionFrame = "Version Information";
constexpr const char* kCurrentVersion = "Current version:";
constexpr const char* kLatestVersion = "Latest   version:";
constexpr const char* kMoreInformation = "For more information, Please visit:";
constexpr const char* kCheckAtStartup = "_Check for update at startup.";
} // namespace product_texts
