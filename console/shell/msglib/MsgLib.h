// Turns result codes into the text of the message file "../res/RVEMLib.ini".
//
// The file holds three kinds of section: "LANGUAGE" (key "CURRENT" names the section
// of the current language), "CODE" (code key to message symbol) and one section per
// language (message symbol to text). Called on the GTK main thread only.
#pragma once

#include "IniParser.h"

// The program-wide parser holding the message file; the library only reads it.
extern tamVoke::IniParser g_clsIniParser;
// 1 once the message file has been loaded.
extern unsigned char g_bIniLoad;

// Loads file, or "../res/RVEMLib.ini" when file is null or empty. Returns 1 when it
// was loaded, 0 when not.
int InitMsgLib(char* file);

// Writes the text of code into out, which holds n bytes: at most n - 1 characters and
// a terminating zero. Returns 1 on success; 0 when the message file cannot be loaded,
// out is null or n is 0, and then out is untouched.
int ZeFormatMessage(unsigned int code, unsigned int n, char* out);

// The text for display: the message text, and for internal errors also the code.
// Same n and out rules and the same result as ZeFormatMessage.
int ZeFormatFullMessage(unsigned int code, unsigned int n, void* out);
