#include "text/icon_problem_text.h"

#include <cerrno>
#include <cstring>

#include "text/strings.h"

const char *IconProblemText(IconProblem problem, int error)
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
        return error != 0 ? SystemErrorText(error) : GetString(MSG_ICON_UNREADABLE);
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

const char *SystemErrorText(int error)
{
    switch (error) {
    case ENOENT:
        return GetString(MSG_ICON_ABSENT);
    case EACCES:
    case EPERM:
        return GetString(MSG_SYS_PERMISSION_DENIED);
    case ENOTDIR:
        return GetString(MSG_CLI_NOT_A_FOLDER);
    case EROFS:
        return GetString(MSG_ICON_READ_ONLY_FILE_SYSTEM);
    case ENOSPC:
        return GetString(MSG_ICON_NO_SPACE);
    case EIO:
        return GetString(MSG_SYS_IO_ERROR);
    default:
        return std::strerror(error);
    }
}
