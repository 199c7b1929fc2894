// The page the help viewer shows for a topic: the console passes a topic word
// ("MainWindow", "RESTORE", "AboutDlg", ...), sometimes with a leading blank. Pages are
// text files "<topic>.txt" in the help folder: the first line is the title, the rest
// the text. A topic without a page, or one that is no plain word, gets a plain page.
#pragma once

#include <string>

struct HelpPage {
    std::string title;
    std::string text;
    bool known = false;
};

// The topic as a file name stem: blanks around it removed; empty when what remains
// is not made of letters, digits and "_" alone (so no path can be named).
std::string HelpTopicStem(const std::string& topic);
HelpPage LoadHelpPage(const std::string& helpFolder, const std::string& topic);
// "<folder of the running program>/../res/help".
std::string DefaultHelpFolder();
