// The one requester engine: a modal message with a row of buttons, its body
// formatted from an argument array, for the toolkit's MUI_Request and the
// platform's message requester alike.
#pragma once

#include <cstddef>
#include <string>

#include "platform/system/tags.h"

struct Object;

namespace toolkit {

constexpr std::size_t kMaxBody = 16384;  // bytes of a formatted requester body

// The format filled printf-style ("%s", "%d", "%ld", "%x", widths, "%%", ...)
// from at most count arguments in turn (missing ones read as empty or 0);
// widths and the result are bounded. used, when given, gets the number of
// arguments the format took.
std::string FormatArgs(const char *format, const IPTR *args, std::size_t count, std::size_t *used = nullptr);

enum class RequestText {
    Plain,    // shown as written
    Escapes,  // the toolkit's text escapes rendered; a button text starting with '*' is the default
};

// Shows the requester over window (a toolkit window, or null) and returns the
// button pressed: 1 for the first from the left, counting on, and 0 for the
// last (also when it is closed). buttons holds the texts separated by '|' (none:
// "OK"); texts are UTF-8. It carries a warning icon, or an information one. A
// test's hook answers instead; without a display the title and the body go to
// standard error and 0 is returned.
int ShowRequester(Object *window, const std::string &title, const std::string &body, const std::string &buttons,
                  RequestText kind, bool information = false);

// Writes "title: body" (or the body alone), UTF-8, to standard error,
// with a line feed.
void WriteRequestToStderr(const std::string &title, const std::string &body);

}  // namespace toolkit
