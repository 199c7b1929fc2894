// The environment's clean-up scripts after a wizard closes ("/mnt/umnt", "/mnt/umwp"):
// they take seconds, so they run as child processes watched from the main loop and the
// console keeps drawing meanwhile. Until the last one has ended the console's window
// takes no input and shows a wait cursor, so that a click meant for the wizard just
// closed cannot open anything behind it.
#pragma once

#include <string>
#include <vector>

typedef struct _GtkWidget GtkWidget;

// Runs scripts one after the other, each started once the one before has ended.
// window (the console's main window; null: none) is made insensitive with a wait
// cursor until they have all ended. Scripts given while a run goes on join its end.
void RunEnvScriptsInBackground(GtkWidget* window, const std::vector<std::string>& scripts);

// Whether scripts started here are still running.
bool EnvScriptsRunning();
