// Wizard messages recorded instead of shown; each answers the next scripted result.
#pragma once

#include <deque>
#include <string>
#include <vector>

#include "IWizardMessages.h"

struct RecordedMessage {
    std::string title;
    int icon;
    int buttons;
    std::string text;
};

class CRecordingMessages : public IWizardMessages {
public:
    std::vector<RecordedMessage> shown;
    std::deque<int> answers; // empty: 0
    int Show(const std::string& title, int icon, int buttons, const std::string& text) override
    {
        shown.push_back({title, icon, buttons, text});
        if (answers.empty())
            return 0;
        const int answer = answers.front();
        answers.pop_front();
        return answer;
    }
};
