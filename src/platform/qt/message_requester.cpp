// The message requester: its texts filled in and shown by the toolkit's engine.
#include "platform/qt/message_requester.h"

#include <string>

#include "platform/toolkit/requester.h"

void WriteRequestToStderr(const char *title, const char *body)
{
    toolkit::WriteRequestToStderr(title != nullptr ? title : "", body != nullptr ? body : "");
}

std::int32_t EasyRequestArgs(Window *, const EasyStruct *easyStruct, std::uint32_t *idcmp, const IPTR *args,
                             std::size_t argCount)
{
    if (idcmp != nullptr) {
        *idcmp = 0;
    }
    if (easyStruct == nullptr) {
        return 0;
    }
    // Without arguments the texts are shown as written.
    auto text = [](const char *written) { return std::string(written != nullptr ? written : ""); };
    std::string body = text(easyStruct->es_TextFormat), buttons = text(easyStruct->es_GadgetFormat);
    if (args != nullptr) {
        std::size_t used = 0;
        body = toolkit::FormatArgs(easyStruct->es_TextFormat, args, argCount, &used);
        buttons = toolkit::FormatArgs(easyStruct->es_GadgetFormat, args + used, argCount - used);
    }
    const char *title = easyStruct->es_Title != nullptr ? easyStruct->es_Title : "";
    return toolkit::ShowRequester(nullptr, title, body, buttons, toolkit::RequestText::Plain);
}
