// The executor's modal progress window: a borderless picture with a small bar that
// runs along its foot every 80 ms while a command runs on a worker thread. The window
// closes when the command ends. Linux only (GTK 2); must be called on the GTK thread.
#pragma once

#include <functional>

class OrdwellProgressWindow {
public:
    static constexpr unsigned kTickMs = 80;
    // Where the window finds its pictures, relative to the working directory.
    static constexpr const char* kIconFile = "../res/main.png";
    static constexpr const char* kPictureFile = "../res/scan_sys_info.png";

    // Shows the window, runs work on a worker thread while the window animates, and
    // returns work's result once the window has closed. Without a display the work
    // runs on the calling thread.
    static unsigned long Run(const std::function<unsigned long()>& work);
};
