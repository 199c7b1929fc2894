// What the menu bar and the tool bar may ask of the main window.
#pragma once

class IMainWndController {
public:
    virtual ~IMainWndController() = default;
    virtual void SetToolBarStatus(int show) = 0;
    virtual void SetSideBarStatus(int show) = 0;
    virtual void SetMainWindowStatusText(const char* text) = 0;
};
