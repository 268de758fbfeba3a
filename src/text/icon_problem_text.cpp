#include "text/icon_problem_text.h"

#include "text/strings.h"

const char *IconProblemText(IconProblem problem)
{
    switch (problem) {
    case IconProblem::None:
        return "";
    case IconProblem::Absent:
        return GetString(MSG_ICON_ABSENT);
    case IconProblem::Folder:
        return GetString(MSG_ICON_FOLDER);
    case IconProblem::NotAnIcon:
        return GetString(MSG_ICON_NOT_AN_ICON);
    case IconProblem::Unreadable:
        return GetString(MSG_ICON_UNREADABLE);
    case IconProblem::PermissionDenied:
        return GetString(MSG_ICON_PERMISSION_DENIED);
    case IconProblem::NoSpace:
        return GetString(MSG_ICON_NO_SPACE);
    case IconProblem::ReadOnlyFileSystem:
        return GetString(MSG_ICON_READ_ONLY_FILE_SYSTEM);
    case IconProblem::Changed:
        return GetString(MSG_ICON_CHANGED);
    case IconProblem::WriteFailed:
        break;
    }
    return GetString(MSG_ICON_WRITE_FAILED);
}
