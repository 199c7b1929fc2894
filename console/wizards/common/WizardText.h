// Text conversions the wizards make at the display border, through the text
// conversion module "Common": file-system text to what GTK shows, and typed text
// back to file-system text. Without the module the result is empty, and the caller
// shows (or uses) nothing rather than undecoded bytes.
#pragma once

#include <string>

class ICommonModule;

// The module the conversions use: "Common" unless a test put another in place.
using CommonOpener = ICommonModule* (*)();
void SetWizardCommonOpener(CommonOpener opener);

std::string ToDisplayText(const std::string& fileSystemText);
// outBytes bounds the converted text, as the pages' buffers do.
std::string FromDisplayText(const std::string& displayText, size_t outBytes);
