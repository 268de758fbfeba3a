#include "text/icon_problem_text.h"

#include <cerrno>
#include <cstdio>
#include <cstring>

#include "platform/icons/image_drawer.h"
#include "text/line_text.h"
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
    case IconProblem::LinkLost:
        return GetString(MSG_ICON_LINK_LOST);
    case IconProblem::Damaged:
        return GetString(MSG_ICON_DAMAGED);
    case IconProblem::ForeignLeftover:
        return GetString(MSG_ICON_FOREIGN_LEFTOVER);
    case IconProblem::InUse: {
        static std::string text;
        text = FormatText(MSG_ICON_IN_USE, PathLineText(ImageHolderText()).c_str());
        return text.c_str();
    }
    case IconProblem::Locked:
        return GetString(MSG_ICON_LOCKED);
    case IconProblem::ImageDamaged:
        return GetString(MSG_ICON_IMAGE_DAMAGED);
    case IconProblem::OutsideDrawer:
        return GetString(MSG_ICON_OUTSIDE_DRAWER);
    default:
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
    case EISDIR:
        return GetString(MSG_ICON_FOLDER);
    case EROFS:
        return GetString(MSG_ICON_READ_ONLY_FILE_SYSTEM);
    case ENOSPC:
        return GetString(MSG_ICON_NO_SPACE);
    case EIO:
        return GetString(MSG_SYS_IO_ERROR);
    case EWOULDBLOCK:
        return GetString(MSG_SYS_LOCKED);
    default:
        return std::strerror(error);
    }
}

std::string IconSaveNoteText(const IconSaveNote &note)
{
    static const std::int32_t kTexts[] = {MSG_SAVE_UNLOCKED, MSG_SAVE_LEFT_ALONE, MSG_SAVE_REMOVABLE,
                                          MSG_SAVE_RESTORABLE, MSG_SAVE_LOCK_UNUSABLE};
    const std::string file = PathLineText(note.file), icon = PathLineText(note.icon);
    const char *format = GetString(kTexts[static_cast<int>(note.kind)]);
    const int size = std::snprintf(nullptr, 0, format, file.c_str(), icon.c_str());
    std::string text(static_cast<std::size_t>(size > 0 ? size : 0), '\0');
    std::snprintf(text.data(), text.size() + 1, format, file.c_str(), icon.c_str());
    return text;
}
