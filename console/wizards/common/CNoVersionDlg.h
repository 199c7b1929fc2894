// The small modal dialog that asks for another disc or image file while an engine
// waits: it names what is wanted, can list the plain files of the folder where the
// file is expected ("Display CD"), and remembers whether OK was pressed. The caller
// decides what OK and Cancel mean for the engine.
#pragma once

#include <gtk/gtk.h>

#include <memory>
#include <string>

#include "CButtonPlus.h"
#include "CEntryPlus.h"

class CNoVersionDlg {
public:
    // mode 0 asks for a disc, any other value for files; text is the disc label or
    // the file name.
    CNoVersionDlg(GtkWidget* parent, const char* text, int width, int height, int mode);
    ~CNoVersionDlg();
    CNoVersionDlg(const CNoVersionDlg&) = delete;
    CNoVersionDlg& operator=(const CNoVersionDlg&) = delete;

    // The path whose folder "Display CD" lists; not owned.
    void SetFilePath(const char* path) { m_filePath = path; }
    // Shows the window with the list hidden and runs it modally; returns once OK or
    // Cancel destroyed it, or it was closed.
    int RunDlg();
    int IsOKPressed() const { return m_ok; }
    // Destroys the window if it still exists.
    void DestoryDlg();

    void SetDialogSize(int width, int height);
    void ShowTree();
    void HideTree();
    void AddToTree(const char* name);
    void ReadCofranFromDisk(const char* path);

    GtkWidget* GetDialog() const { return m_dialog; }
    GtkWidget* GetListView() const { return m_listView; }
    GtkWidget* GetBrowseButton() const { return m_browse.GetButtonWidget(); }
    GtkWidget* GetOkButton() const { return m_okButton.GetButtonWidget(); }
    GtkWidget* GetCancelButton() const { return m_cancelButton.GetButtonWidget(); }
    int RowCount() const;
    static std::string QuestionText(const char* text, int mode);

    static constexpr const char* kTitle = "Change CD";

private:
    void CreateTreeView();
    static void OnBrowser(GtkButton* button, gpointer self);
    static void OnOk(GtkButton* button, gpointer self);
    static void OnCancel(GtkButton* button, gpointer self);

    GtkWidget* m_dialog = nullptr;
    GtkWidget* m_listBox = nullptr;
    CEntryPlus m_entry; // kept for the dialog's shape; never placed
    CButtonPlus m_browse{"Display CD"};
    CButtonPlus m_okButton{"OK"};
    CButtonPlus m_cancelButton{"Cancel"};
    GtkWidget* m_scrolled = nullptr;
    const char* m_filePath = nullptr;
    GtkWidget* m_listView = nullptr;
    GtkListStore* m_store = nullptr;
    int m_mode = 1;
    int m_ok = 0;
};
