// Every modal dialog of the console: a fixed-size modal GTK dialog over a parent
// window with the console's icon and background, up to three action buttons placed
// by the dialog itself, and an optional help button that starts the help viewer.
// Life: construct, RunDlg, DestoryDlg, delete.
#pragma once

#include "CButtonPlus.h"
#include "DLG_RESULT.h"
#include "DialogButtonSlots.h"

#include <gtk/gtk.h>

#include <memory>
#include <vector>

class CBaseDialog {
public:
    CBaseDialog(GtkWidget* parent, const char* title, int width, int height);
    virtual ~CBaseDialog();
    CBaseDialog(const CBaseDialog&) = delete;
    CBaseDialog& operator=(const CBaseDialog&) = delete;

    // Non-zero swallows the key; the base keeps the toolkit's own handling.
    virtual int OnKeyPressCallBack(unsigned int keyval);
    // Shows the dialog and all its children and runs it modally: the response of
    // the pressed button, or the toolkit's negative response when it was closed.
    virtual DLG_RESULT RunDlg();
    virtual void DestoryDlg();
    virtual const char* GetHelpName();

    // Kinds: 0, 2, 4, 5 plain action buttons; 1 the default (reject) button; 3 the
    // help button; 6 an extra button at the start of the action area.
    void AddButton(const char* label, DLG_RESULT kind);
    GtkWidget* GetButtonWidget(int index) const;
    GtkWidget* GetDefaultBtn() const;
    void SetButtonFocus(int index);
    void SetButtonLabel(int index, const char* label);

    GtkWidget* GetDialog() const { return m_dialog; }
    // The dialog window: the parent of the message boxes a dialog shows and the
    // container a wizard fills. Null once the dialog is destroyed.
    GtkWidget* GetDlgWidget() const { return m_dialog; }
    int GetButtonCount() const { return m_buttons.Count(); }

    // Topic the help button hands to the viewer.
    static constexpr const char* kHelpTopic = " BACKUP";

protected:
    void InitDialog(GtkWidget* parent, const char* title, int width, int height);

    GtkWidget* m_dialog = nullptr; // cleared by GObject when the widget is finalised
    GtkWidget* m_parent = nullptr;
    int m_width = 0;
    int m_height = 0;
    CButtonPlus* m_lastButton = nullptr;
    CButtonPlus* m_defaultButton = nullptr;
    CButtonPlus* m_helpButton = nullptr;
    CButtonPlus* m_unusedButton = nullptr; // never filled by the base
    CButtonPlus* m_extraButton = nullptr;
    DialogButtonSlots<CButtonPlus> m_buttons;
    bool m_singleButtonAtRightEdge = false;

private:
    static gboolean OnKeyPress(GtkWidget* widget, GdkEventKey* event, gpointer self);
    static void RealizeEventCallBack(GtkWidget* widget, gpointer self);
    static void OnActionAreaAllocated(GtkWidget* widget, GtkAllocation* allocation, gpointer self);
    static void OnHelpClicked(GtkButton* button, gpointer self);
    // The dialog's given size is its least size: contents that need more get more.
    static void AtLeastGivenSize(GtkWidget* widget, GtkRequisition* requisition, gpointer self);
    int m_leastWidth = -1;
    int m_leastHeight = -1;
    void PlaceButtons();

    // Every button made by AddButton, however many share a holder.
    std::vector<std::unique_ptr<CButtonPlus>> m_ownedButtons;
};
