#include "MessageBoxContents.h"

const char* MessageBoxIconPicture(GTK_MB_ICON_TYPE icon)
{
    switch (icon) {
    case GTK_MB_ICON_INFORMATION: return "../res/information.png";
    case GTK_MB_ICON_WARNING: return "../res/warnIcon.png";
    case GTK_MB_ICON_QUESTION: return "../res/questionIcon.png";
    case GTK_MB_ICON_ERROR: return "../res/errorIcon.png";
    case GTK_MB_ICON_RIGHT: return "../res/Right.PNG";
    }
    return nullptr;
}

std::vector<MessageBoxButton> MessageBoxButtons(GTK_MB_TYPE type)
{
    switch (type) {
    case GTK_MB_OK: return {{"_OK", DLG_RESULT_OK}};
    case GTK_MB_YESNO: return {{"_Yes", DLG_RESULT_OK}, {"_No", DLG_RESULT_CANCEL}};
    case GTK_MB_OKCANCEL: return {{"_OK", DLG_RESULT_OK}, {"_Cancel", DLG_RESULT_CANCEL}};
    }
    return {};
}
