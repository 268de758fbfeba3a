// Tag lists: the attribute lists passed to the platform's object and request calls.
#pragma once

#include <cstdint>
#include <type_traits>

using IPTR = std::intptr_t;
using Tag = IPTR;

struct TagItem {
    Tag ti_Tag;
    IPTR ti_Data;
};

constexpr Tag TAG_DONE = 0;

// Turns one argument of a variadic tag call into a tag-list word.
template <typename T> inline IPTR ToIPTR(T value)
{
    if constexpr (std::is_pointer_v<T>) {
        return reinterpret_cast<IPTR>(value);
    } else if constexpr (std::is_null_pointer_v<T>) {
        return 0;
    } else {
        return static_cast<IPTR>(value);
    }
}

// Finds the data of the first item with the given tag; returns fallback when absent.
inline IPTR GetTagData(Tag tag, IPTR fallback, const TagItem *list)
{
    for (const TagItem *item = list; item != nullptr && item->ti_Tag != TAG_DONE; ++item) {
        if (item->ti_Tag == tag) {
            return item->ti_Data;
        }
    }
    return fallback;
}
