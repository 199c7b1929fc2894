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

// The text of a failure's box: the message library's text of code, or, when the
// library gives none (its file was not found, or it has no text for the code), a
// line naming the code, so that a failure never shows an empty box.
std::string FailureText(const std::string& libraryText, unsigned long code);
