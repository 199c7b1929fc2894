#include "HelpPage.h"

#include <climits>
#include <fstream>
#include <sstream>
#include <unistd.h>

std::string HelpTopicStem(const std::string& topic)
{
    const size_t first = topic.find_first_not_of(" \t");
    if (first == std::string::npos)
        return std::string();
    const size_t last = topic.find_last_not_of(" \t");
    const std::string stem = topic.substr(first, last - first + 1);
    for (char c : stem) {
        const bool word = (c >= 'A' && c <= 'Z') || (c >= 'a' && c <= 'z') || (c >= '0' && c <= '9') || c == '_';
        if (!word)
            return std::string();
    }
    return stem;
}

HelpPage LoadHelpPage(const std::string& helpFolder, const std::string& topic)
{
    HelpPage page;
    const std::string stem = HelpTopicStem(topic);
    std::ifstream in(stem.empty() ? std::string() : helpFolder + "/" + stem + ".txt");
    std::string title;
    if (!stem.empty() && in && std::getline(in, title) && !title.empty()) {
        std::stringstream rest;
        rest << in.rdbuf();
        page.title = title;
        page.text = rest.str();
        page.known = true;
        return page;
    }
    page.title = "Help";
    page.text = "There is no help page for this part of the console.\n\n"
                "The main window's help describes what the console does and where to start.\n";
    return page;
}

std::string DefaultHelpFolder()
{
    char self[PATH_MAX];
    const ssize_t got = readlink("/proc/self/exe", self, sizeof self - 1);
    if (got <= 0)
        return "../res/help";
    const std::string program(self, static_cast<size_t>(got));
    return program.substr(0, program.rfind('/')) + "/../res/help";
}
