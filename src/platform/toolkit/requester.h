// The one requester engine: a modal message with a row of buttons, for the
// toolkit's MUI_Request and the platform's message requester alike.
#pragma once

#include <string>

struct Object;

namespace toolkit {

enum class RequestText {
    Plain,    // shown as written
    Escapes,  // the toolkit's text escapes rendered; a button text starting with '*' is the default
};

// Shows the requester over window (a toolkit window, or null) and returns the
// button pressed: 1 for the first from the left, counting on, and 0 for the
// last (also when it is closed). buttons holds the texts separated by '|' (none:
// "OK"); texts are UTF-8. A test's hook answers instead; with
// SETTINGS_REQUEST_ANSWER=n in the environment, or without a display, the title
// and the body go to standard error and n (or 0) is returned.
int ShowRequester(Object *window, const std::string &title, const std::string &body, const std::string &buttons,
                  RequestText kind);

// Writes "title: body" (or the body alone), UTF-8, to standard error,
// with a line feed.
void WriteRequestToStderr(const std::string &title, const std::string &body);

}  // namespace toolkit
