// The restore wizard's restore mode page: "_Active", "_Primary" or "_Logical" for the
// restored partition, with a description of the choice. CRestoreModeLogic decides
// which are offered and lays the partition out on Next.
#pragma once

#include "CBaseWizardPage.h"
#include "CGtkWizardMessages.h"
#include "CRadioButtonPlus.h"
#include "CRestoreModeLogic.h"

class CSelectRestoreModePage : public CBaseWizardPage {
public:
    explicit CSelectRestoreModePage(IWizard* wizard);

    void InitPage() override;
    int UpDate() override { return m_logic.UpDate(); }
    void OnHelpClicked() override;
    void OnBackClicked() override;
    void OnNextClicked() override { m_logic.OnNextClicked(Kind()); }
    void OnQuitClicked() override;

    GtkWidget* GetRadio(RestoreKind kind) const;
    RestoreKind Kind() const;
    static const char* const* DescriptionLines(RestoreKind kind, int& count);

private:
    void Apply(const RestoreModeChoices& choices);
    static void OnRadioClicked(GtkButton*, gpointer self);
    static gboolean OnDescriptionExpose(GtkWidget* widget, GdkEventExpose*, gpointer self);

    CGtkWizardMessages m_messages;
    CRestoreModeLogic m_logic;
    CRadioButtonPlus m_active, m_primary, m_logical;
    GtkWidget* m_description = nullptr;
};
