#include "platform/toolkit.h"

// Stand-in until the Qt realisation is in place.
Object *MUI_NewObjectA(const char *, const TagItem *) { return nullptr; }
Object *MUI_MakeObjectA(IPTR, const IPTR *) { return nullptr; }
void MUI_DisposeObject(Object *) {}
std::uint32_t SetAttrsA(Object *, const TagItem *) { return 0; }
std::uint32_t GetAttr(Tag, Object *, IPTR *) { return 0; }
IPTR DoMethodA(Object *, const IPTR *) { return 0; }
std::uint32_t Wait(std::uint32_t) { return 0; }
int MUI_RequestA(Object *, Object *, std::uint32_t, const char *, const char *, const char *, const IPTR *) { return 0; }
void MUI_FailObjectCreation(int) {}
void MUI_SetRequestHook(MuiRequestHook) {}
