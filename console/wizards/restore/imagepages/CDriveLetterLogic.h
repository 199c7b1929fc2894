// The decisions of the drive letter page: the letter the restored partition gets.
// The list of letters offers none, so the page always ends without a letter: a blank
// in both letter fields of the record (the run turns a blank into "no letter").
#pragma once

#include <string>
#include <vector>

class IWizard;

struct DriveLetterChoices {
    bool yesSensitive = false;
    bool yesSelected = false;
    bool listSensitive = false;
};

class CDriveLetterLogic {
public:
    explicit CDriveLetterLogic(IWizard& wizard) : wizard_(wizard) {}

    // The letters the list offers: none.
    static std::vector<std::string> InitDriveLetter() { return {}; }
    // Every entry: No selected, Yes and the list off, Next labelled "_Next>".
    DriveLetterChoices InitPage();
    // activeText: the list's active text, empty when none. Always 0.
    int UpDate(bool yesSelected, const std::string& activeText);
    void OnNextClicked(bool yesSelected, const std::string& activeText);

    static constexpr char kNoLetter = ' ';

    // The description frame's lines for the current choice.
    static std::vector<std::string> Description(bool yesSelected);

private:
    IWizard& wizard_;
};
