// The 64-bit installer's command line: "-I <folder>" installs the bus driver from the
// driver package in folder within this process.
#pragma once

#include <string>
#include <vector>

// The arguments after the program's name. The install's result; kind 0x009 (module 6)
// for any other command. The words after "-I" make one folder, joined by single
// blanks: the caller does not quote the folder, so one with blanks in its name
// arrives in pieces.
unsigned long RunInstCommand(const std::vector<std::wstring>& arguments);

// The process's exit code for a result: the result itself on Windows. On Linux an exit
// status holds 8 bits: the low byte of the kind, and 255 where that byte is 0, so that
// no failure reads as success.
int InstExitCode(unsigned long result);
