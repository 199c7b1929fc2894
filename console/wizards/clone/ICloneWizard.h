// What the console knows of the clone wizard besides its dialog part.
#pragma once

class CBaseDialog;

class ICloneWizard {
public:
    virtual ~ICloneWizard() = default;
    // Stores the wizard's own dialog part, through which the console runs it.
    virtual void SetDlg(CBaseDialog* dialog) = 0;
};
