// Reading the toolkit's objects in tests.
#pragma once

#include <string>
#include <vector>

#include "platform/toolkit/testing/toolkit_testing.h"

// The attribute's value, or -12345 when the object does not give it.
inline IPTR Attr(Object *obj, Tag attr)
{
    IPTR value = -12345;
    GetAttr(attr, obj, &value);
    return value;
}

inline bool Disabled(Object *obj)
{
    return Attr(obj, MUIA_Disabled) != 0;
}

inline std::string Text(Object *obj)
{
    IPTR text = 0;
    return GetAttr(MUIA_Text_Contents, obj, &text) != 0 && text != 0 ? reinterpret_cast<const char *>(text) : "";
}

using Ids = std::vector<IPTR>;

// Every return id that input handling has queued, in order.
inline Ids DrainReturnIds(Object *app)
{
    Ids ids;
    for (int pass = 0; pass < 1000; ++pass) {
        std::uint32_t sigs = 0;
        const IPTR id = DoMethod(app, MUIM_Application_NewInput, &sigs);
        if (id != 0) {
            ids.push_back(id);
        }
        if (sigs != 0) {
            break;
        }
    }
    return ids;
}
