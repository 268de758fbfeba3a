// The message requester: its format filled in, shown by the toolkit's engine.
#include "platform/message_requester.h"

#include <string>

#include "platform/toolkit/requester.h"

namespace {

// Fills the format's "%s", "%ld", "%d" from args in turn; args null: as it is.
std::string FormatText(const char *format, const IPTR *args, int *used)
{
    std::string out;
    if (format == nullptr) {
        return out;
    }
    if (args == nullptr) {
        return format;
    }
    for (const char *p = format; *p != '\0'; ++p) {
        if (*p != '%') {
            out.push_back(*p);
            continue;
        }
        if (p[1] == '%') {
            out.push_back('%');
            ++p;
        } else if (p[1] == 's') {
            auto text = reinterpret_cast<const char *>(args[(*used)++]);
            out += text != nullptr ? text : "";
            ++p;
        } else if (p[1] == 'd' || (p[1] == 'l' && p[2] == 'd')) {
            out += std::to_string(static_cast<long>(args[(*used)++]));
            p += p[1] == 'l' ? 2 : 1;
        } else {
            out.push_back('%');
        }
    }
    return out;
}

}  // namespace

void WriteRequestToStderr(const char *title, const char *body)
{
    toolkit::WriteRequestToStderr(title != nullptr ? title : "", body != nullptr ? body : "");
}

std::int32_t EasyRequestArgs(Window *, const EasyStruct *easyStruct, std::uint32_t *idcmp, const IPTR *args)
{
    if (idcmp != nullptr) {
        *idcmp = 0;
    }
    if (easyStruct == nullptr) {
        return 0;
    }
    int used = 0;
    const std::string body = FormatText(easyStruct->es_TextFormat, args, &used);
    int gadgetArgs = 0;
    const std::string buttons =
        FormatText(easyStruct->es_GadgetFormat, args != nullptr ? args + used : nullptr, &gadgetArgs);
    const char *title = easyStruct->es_Title != nullptr ? easyStruct->es_Title : "";
    return toolkit::ShowRequester(nullptr, title, body, buttons, toolkit::RequestText::Plain);
}
