// Inst, the 64-bit installer ("x64\Inst.exe" beside the programs): a 32-bit program
// on 64-bit Windows cannot install the bus driver itself, so the mount engine starts
// "Inst -I <folder>" and takes its exit code as the install's result.
#include "InstCommand.h"

#include <clocale>
#include <cstdlib>
#include <string>
#include <vector>

int main(int argc, char** argv)
{
    std::setlocale(LC_ALL, "");   // the arguments come in the system's code page
    std::vector<std::wstring> arguments;
    for (int i = 1; i < argc; ++i) {
        const size_t length = std::mbstowcs(nullptr, argv[i], 0);
        if (length == static_cast<size_t>(-1))
            return InstExitCode(RunInstCommand({}));   // a word that is no text: no valid command
        std::wstring word(length, L'\0');
        std::mbstowcs(&word[0], argv[i], length + 1);
        arguments.push_back(word);
    }
    return InstExitCode(RunInstCommand(arguments));
}
