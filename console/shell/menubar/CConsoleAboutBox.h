// The console's About box behind IAboutBox: the dialog is created, run modally and
// destroyed.
#pragma once

#include "IAboutBox.h"

class CConsoleAboutBox : public IAboutBox {
public:
    void Run(GtkWidget* parent, const char* title, int width, int height) override;
};
