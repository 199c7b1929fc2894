// The restore wizard's nine pages, made by notebook position.
#pragma once

class CBaseWizardPage;
class IWizard;

CBaseWizardPage* MakeRestorePage(int position, IWizard* wizard);
