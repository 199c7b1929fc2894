// Opens the program's About box over a parent window and returns when it is closed.
#pragma once

#include <gtk/gtk.h>

class IAboutBox {
public:
    virtual ~IAboutBox() = default;
    virtual void Run(GtkWidget* parent, const char* title, int width, int height) = 0;
};
