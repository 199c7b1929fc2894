// A row of the side bar was clicked or confirmed with Enter: noted in the shared log
// (debugging output only).
#pragma once

void LogRowUserEvent();

constexpr const char* kRowUserEventText = "generate user event...\n";
