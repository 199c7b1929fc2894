#include "ListScrollBack.h"

void ListScrollBack::Remember(const GtkTreePath* path)
{
    Clear();
    if (path == nullptr)
        return;
    path_ = gtk_tree_path_copy(path);
    left_ = kExposes;
}

void ListScrollBack::Clear()
{
    if (path_ != nullptr)
        gtk_tree_path_free(path_);
    path_ = nullptr;
    left_ = 0;
}

void ListScrollBack::OnExpose(const std::function<void(GtkTreePath*)>& scroll)
{
    if (path_ == nullptr || left_ <= 0)
        return;
    scroll(path_);
    if (--left_ == 0)
        Clear();
}
