// One run of the clone wizard, the same for every launcher: the end sign is cleared
// before the run, so a sign left by an earlier run cannot hide a dialog that is
// still up; the dialog is destroyed unless the wizard closed itself; the wizard is
// deleted afterwards in every case.
#pragma once

template <class Wizard, class CloneData>
void RunCloneWizardLifecycle(Wizard* wizard, CloneData* data)
{
    if (wizard == nullptr)
        return;
    data->SetEndSign(0);
    wizard->SetDlg(wizard); // the wizard's own dialog part
    wizard->RunDlg();
    if (!data->GetEndSign())
        wizard->DestoryDlg();
    delete wizard;
}
