// The message requester (intuition's EasyRequest): a modal message with a row
// of buttons, shown by the toolkit's requester engine.
#pragma once

#include <cstddef>
#include <cstdint>

#include "platform/system/tags.h"

struct Screen;
struct Window;

struct EasyStruct {
    std::uint32_t es_StructSize;  // the structure's size in bytes on the Amiga (28)
    std::uint32_t es_Flags;
    const char *es_Title;
    const char *es_TextFormat;    // UTF-8
    const char *es_GadgetFormat;  // button texts separated by '|'
    Screen *es_Screen;
    TagItem *es_TagList;
};

// Shows the requester modally and returns the button pressed: 1 for the first,
// counting on, and 0 for the last. With args null the texts are shown as they
// are; otherwise the body's conversions ("%s", "%ld", "%%", ...) and then the
// buttons' take the argCount args in turn, as the toolkit's FormatArgs fills
// them. Without a display the title and body go to standard error and 0 is
// returned.
std::int32_t EasyRequestArgs(Window *window, const EasyStruct *easyStruct, std::uint32_t *idcmp, const IPTR *args,
                             std::size_t argCount);

// Writes a requester's title and body (UTF-8) to standard error, with a line feed.
void WriteRequestToStderr(const char *title, const char *body);
