// The tool bar's eight buttons: their pictures, tips and what a click starts.
#pragma once

#include <array>
#include <string>

enum class ToolBarAction { None, CheckImage, Restore, Clone, Help };

// Members of the tool bar, in the order it holds them.
enum ToolBarButtonId { kTbBackup, kTbRestore, kTbClone, kTbMount, kTbUnmount, kTbCheck, kTbOption, kTbHelp, kTbCount };

struct ToolBarButtonSpec {
    ToolBarButtonId id;
    const char* op;  // the picture names' middle part: "../res/nav-OP-normal.png"
    const char* tip; // tip and status text
    ToolBarAction action;
};

// The buttons from left to right.
const std::array<ToolBarButtonSpec, kTbCount>& ToolBarRow();
const ToolBarButtonSpec& ToolBarButtonSpecOf(ToolBarButtonId id);

// "../res/nav-" + op + "-" + state + ".png"; state is normal, hover, click or disable.
std::string ToolBarPicturePath(const char* op, const char* state);

// Buttons whose normal picture is one of these are greyed for good: they show their
// disable picture and react to nothing themselves.
bool IsGreyedForGoodPicture(const char* normalPath);

// The help topic of the tool bar's Help button.
constexpr const char* kToolBarHelpTopic = "MainWindow";
