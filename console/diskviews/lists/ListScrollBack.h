// The scroll-back path of a checkable tree list: a click remembers the clicked row, and
// the next three redraws scroll the view back to it (the toolkit may scroll while it
// settles the selection); the third frees the path. Space forgets it.
#pragma once

#include <functional>

#include <gtk/gtk.h>

class ListScrollBack {
public:
    static constexpr int kExposes = 3;

    ListScrollBack() = default;
    ~ListScrollBack() { Clear(); }
    ListScrollBack(const ListScrollBack&) = delete;
    ListScrollBack& operator=(const ListScrollBack&) = delete;

    // Keeps a copy of path for the next kExposes redraws; null forgets.
    void Remember(const GtkTreePath* path);
    void Clear();
    GtkTreePath* Path() const { return path_; }
    int ExposesLeft() const { return left_; }
    // On a redraw: hands the path to scroll while redraws are left; frees it after the last.
    void OnExpose(const std::function<void(GtkTreePath*)>& scroll);

private:
    GtkTreePath* path_ = nullptr;
    int left_ = 0;
};
