// The clone wizard's pages in their fixed order (also their index in the wizard's page
// table) and the footer's buttons as pages are told of them.
#pragma once

enum CLONE_WIZARD_PAGE {
    CLONE_PAGE_SOURCE_SELECT = 0,
    CLONE_PAGE_TARGET_SELECT = 1,
    CLONE_PAGE_TASK_DESCRIPTION = 2,
    CLONE_PAGE_TASK_PROGRESS = 3,
    CLONE_PAGE_NONE = 4, // no further page: the wizard stays where it is
};

constexpr int kClonePageCount = 4;

enum CLONE_WIZARD_BUTTON {
    CLONE_BUTTON_HELP = 0,
    CLONE_BUTTON_BACK = 1,
    CLONE_BUTTON_QUIT = 2,
    CLONE_BUTTON_NEXT = 3,
};
