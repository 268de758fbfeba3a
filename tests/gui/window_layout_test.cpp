// The object tree of the settings window: what is made, in which order, with
// which attributes, texts and initial values. Object creation is recorded by
// wrapping the toolkit's creation calls at link time (-Wl,--wrap).
#include <map>
#include <set>
#include <sstream>

#include "gui/window_fixture.h"

namespace {

// Each object made while recording: its outline line and its children.
struct Made {
    std::string line;
    std::vector<Object *> children;
};
std::map<Object *, Made> made;
std::vector<std::string> madeInOrder;
bool recording = false;

void Record(Object *obj, Made entry)
{
    if (recording) {
        madeInOrder.push_back(entry.line);
        if (obj != nullptr) {
            made[obj] = std::move(entry);
        }
    }
}

std::string TagName(Tag tag)
{
    static const std::map<Tag, const char *> names = {
        {MUIA_Application_Title, "Title"}, {MUIA_Application_Version, "Version"},
        {MUIA_Application_Copyright, "Copyright"}, {MUIA_Application_Author, "Author"},
        {MUIA_Application_Description, "Description"}, {MUIA_Application_Base, "Base"},
        {MUIA_Application_Window, "Window"}, {MUIA_Window_Title, "Title"},
        {MUIA_Window_ID, "ID"}, {MUIA_Window_Menustrip, "Menustrip"},
        {MUIA_Window_RootObject, "Root"}, {MUIA_Group_Child, "Child"},
        {MUIA_Group_Horiz, "Horiz"}, {MUIA_Group_Columns, "Columns"}, {MUIA_Frame, "Frame"},
        {MUIA_FrameTitle, "FrameTitle"}, {MUIA_Background, "Background"}, {MUIA_Font, "Font"},
        {MUIA_CycleChain, "CycleChain"}, {MUIA_InputMode, "InputMode"},
        {MUIA_Selected, "Selected"}, {MUIA_ShowSelState, "ShowSelState"},
        {MUIA_Text_Contents, "Contents"}, {MUIA_Text_PreParse, "PreParse"},
        {MUIA_Cycle_Entries, "Entries"}, {MUIA_Image_Spec, "Image"},
        {MUIA_Image_FreeVert, "FreeVert"}, {MUIA_Numeric_Min, "Min"}, {MUIA_Numeric_Max, "Max"},
        {MUIA_Numeric_Value, "Value"},
    };
    auto it = names.find(tag);
    return it != names.end() ? it->second : "?" + std::to_string(tag);
}

std::string Value(Tag tag, IPTR value)
{
    static const std::set<Tag> texts = {
        MUIA_Application_Title, MUIA_Application_Version, MUIA_Application_Copyright,
        MUIA_Application_Author, MUIA_Application_Description, MUIA_Application_Base,
        MUIA_Window_Title, MUIA_FrameTitle, MUIA_Text_Contents, MUIA_Text_PreParse};
    static const char *const frames[] = {"None", "Button", "ImageButton", "Text", "Group"};
    static const char *const images[] = {"WindowBack", "PageBack", "TextBack", "GroupBack",
                                         "ButtonBack", "PopUp", "CheckMark"};
    static const char *const fonts[] = {"Normal", "Big", "Button"};
    static const char *const inputModes[] = {"None", "RelVerify", "Toggle"};
    auto pick = [value](const char *const *names, IPTR count) {
        return value >= 0 && value < count ? std::string(names[value]) : std::to_string(value);
    };
    if (texts.count(tag) != 0) {
        return "\"" + std::string(value != 0 ? reinterpret_cast<const char *>(value) : "") + "\"";
    }
    switch (tag) {
    case MUIA_Frame: return pick(frames, 5);
    case MUIA_Background:
    case MUIA_Image_Spec: return pick(images, 7);
    case MUIA_Font: return pick(fonts, 3);
    case MUIA_InputMode: return pick(inputModes, 3);
    case MUIA_Window_Menustrip: return value == reinterpret_cast<IPTR>(menuStrip) && value != 0 ? "menuStrip" : "?";
    case MUIA_Cycle_Entries: {
        std::string joined;
        for (auto *entry = reinterpret_cast<const char *const *>(value); entry && *entry; ++entry) {
            joined += std::string(joined.empty() ? "" : "|") + *entry;
        }
        return "\"" + joined + "\"";
    }
    case MUIA_Window_ID: {
        char hex[16];
        std::snprintf(hex, sizeof hex, "0x%08lX", static_cast<unsigned long>(value));
        return hex;
    }
    default: return std::to_string(value);
    }
}

}  // namespace

extern "C" {
Object *__real__Z14MUI_NewObjectAPKcPK7TagItem(const char *className, const TagItem *tags);
Object *__real__Z15MUI_MakeObjectAlPKl(IPTR type, const IPTR *params);

Object *__wrap__Z14MUI_NewObjectAPKcPK7TagItem(const char *className, const TagItem *tags)
{
    Made entry;
    entry.line = className != nullptr ? className : "";
    if (entry.line.size() > 4 && entry.line.compare(entry.line.size() - 4, 4, ".mui") == 0) {
        entry.line.resize(entry.line.size() - 4);
    }
    for (const TagItem *item = tags; item != nullptr && item->ti_Tag != TAG_DONE; ++item) {
        entry.line += " " + TagName(item->ti_Tag);
        if (item->ti_Tag == MUIA_Application_Window || item->ti_Tag == MUIA_Window_RootObject ||
            item->ti_Tag == MUIA_Group_Child) {
            entry.children.push_back(reinterpret_cast<Object *>(item->ti_Data));
        } else {
            entry.line += "=" + Value(item->ti_Tag, item->ti_Data);
        }
    }
    Object *obj = __real__Z14MUI_NewObjectAPKcPK7TagItem(className, tags);
    Record(obj, std::move(entry));
    return obj;
}

Object *__wrap__Z15MUI_MakeObjectAlPKl(IPTR type, const IPTR *params)
{
    Made entry;
    if (type == MUIO_Label) {
        entry.line = "Label \"" + std::string(reinterpret_cast<const char *>(params[0])) +
                     "\" flags=" + std::to_string(params[1]);
    } else if (type == MUIO_VSpace) {
        entry.line = "VSpace " + std::to_string(params[0]);
    } else if (type == MUIO_MenustripNM) {
        entry.line = std::string("Menustrip ") + (params[0] == reinterpret_cast<IPTR>(menuTable) ? "menuTable" : "?") +
                     " " + std::to_string(params[1]);
    }
    Object *obj = __real__Z15MUI_MakeObjectAlPKl(type, params);
    Record(obj, std::move(entry));
    return obj;
}
}

namespace {

// One line per object, children indented below their parent.
void Outline(Object *obj, int depth, std::ostringstream &out)
{
    out << std::string(2 * depth, ' ');
    auto it = made.find(obj);
    if (it == made.end()) {
        out << (obj == nullptr ? "null" : "unrecorded") << "\n";
        return;
    }
    out << it->second.line << "\n";
    for (Object *child : it->second.children) {
        Outline(child, depth + 1, out);
    }
}

std::string OutlineOf(Object *obj)
{
    std::ostringstream out;
    Outline(obj, 0, out);
    return out.str();
}

std::string ExpectedTree(bool withSound)
{
    const std::string label =
        "\" flags=" + std::to_string(MUIO_Label_SingleFrame | MUIO_Label_LeftAligned) + "\n";
    const std::string check =
        "Image Frame=ImageButton InputMode=Toggle Image=CheckMark FreeVert=1 Selected=1 "
        "Background=ButtonBack ShowSelState=0 CycleChain=1\n";
    auto button = [](const char *text) {
        return std::string("          Text Frame=Button Font=Button Contents=\"") + text +
               "\" PreParse=\"\033c\" InputMode=RelVerify Background=ButtonBack CycleChain=1\n";
    };
    const std::string sound =
        withSound ? "        Group Child Child Child\n"
                    "          VSpace 10\n"
                    "          Group Frame=Group FrameTitle=\"Sound settings\" Background=GroupBack Child Child Child\n"
                    "            Group Horiz=1 Child Child\n"
                    "              " + check +
                    "              Text Contents=\"Enable sound output?\"\n"
                    "            Label \"Master volume" + label +
                    "            Slider Min=0 Max=64 Value=40 CycleChain=1\n"
                    "          VSpace 10\n"
                  : "        VSpace 10\n";
    return "Application Title=\"Vellumine Application Settings\""
           " Version=\"$VER: Vellumine Application Settings 1.3 (13.03.05)\""
           " Copyright=\"Copyright (C) 2005 The Vellumine developers\""
           " Author=\"The Vellumine developers\""
           " Description=\"Settings for Vellumine applications\" Base=\"VELLUMINESETTINGS\" Window\n"
           "  Window Title=\"Application Settings\" Menustrip=menuStrip ID=0x53455453 Root\n"
           "    Group Child\n"
           "      Group Frame=Group Background=PageBack Child Child Child Child Child Child Child\n"
           "        Text Frame=Text PreParse=\"\033c\" Contents=\"Application Settings\" Background=TextBack Font=Big\n"
           "        VSpace 10\n"
           "        Group Child\n"
           "          Group Horiz=1 Frame=Group FrameTitle=\"Display settings\" Background=GroupBack Child\n"
           "            Group Columns=2 Child Child Child Child\n"
           "              Cycle Font=Button Entries=\"Window on Workbench|Full screen (auto mode select)|"
           "Full screen (manual mode select)\" CycleChain=1\n"
           "              Label \"Display mode" + label +
           "              Group Horiz=1 Child Child\n"
           "                Text Frame=Text\n"
           "                Image Frame=Button Image=PopUp InputMode=RelVerify CycleChain=1\n"
           "              Label \"Screen mode" + label + sound +
           "        Group Frame=Group FrameTitle=\"General settings\" Background=GroupBack Child Child\n"
           "          Group Child\n"
           "            Group Columns=2 Child Child\n"
           "              " + check +
           "              Text Contents=\"Limit frames per second? (FPS)\"\n"
           "          Group Horiz=1 Child Child\n"
           "            Slider Min=1 Max=50 Value=0 CycleChain=1\n"
           "            Label \"FPS" + label +
           "        VSpace 10\n"
           "        Group Horiz=1 Child Child Child Child\n" +
           button("Save") + button("About") + button("Help") + button("Cancel");
}

class WindowLayoutTest : public WindowTest {
protected:
    void SetUp() override
    {
        WindowTest::SetUp();
        made.clear();
        madeInOrder.clear();
        recording = true;
    }
    void TearDown() override
    {
        recording = false;
        WindowTest::TearDown();
    }
};

// With the sound section, and without it: a single gap and null handles.
TEST_F(WindowLayoutTest, TheTreeWithAndWithoutTheSoundSection)
{
    AppSettings.fpsLimitEnabled = 1;  // both checkmarks ticked
    for (int hideSound : {0, 1}) {
        SCOPED_TRACE(hideSound);
        ToolConfig.hideSound = hideSound;
        madeInOrder.clear();
        ASSERT_NE(Build(), nullptr);
        EXPECT_EQ(OutlineOf(app), ExpectedTree(hideSound == 0));
        // The menu strip is made from the localised table, before anything else.
        EXPECT_EQ(madeInOrder.at(0), "Menustrip menuTable 0");
        for (Object *handle : {mainWindow, displayModeCycle, screenModeText, screenModeButton, fpsCheckmark,
                               fpsSlider, saveButton, aboutButton, helpButton, cancelButton}) {
            EXPECT_NE(handle, nullptr);
        }
        EXPECT_EQ(soundCheckmark == nullptr, hideSound == 1);
        EXPECT_EQ(volumeSlider == nullptr, hideSound == 1);
        Dispose();
    }
}

TEST_F(WindowLayoutTest, TitleBannerAndControlsFollowTheConfigurationAndRecord)
{
    SetAppName("Starfield");
    AppSettings = {2, 0x00029000, 8, 33, 1, 17, 0};
    ASSERT_NE(Build(), nullptr);
    const std::string outline = OutlineOf(app);
    EXPECT_NE(outline.find("Window Title=\"Starfield Settings\""), std::string::npos);
    EXPECT_NE(outline.find("Contents=\"Starfield Settings\" Background=TextBack"), std::string::npos);
    EXPECT_EQ(Attr(fpsCheckmark, MUIA_Selected), 1);
    EXPECT_EQ(Attr(fpsSlider, MUIA_Numeric_Value), 33);
    EXPECT_EQ(Attr(soundCheckmark, MUIA_Selected), 0);
    EXPECT_EQ(Attr(volumeSlider, MUIA_Numeric_Value), 17);
}

// Every object but the menu strip is needed: failing it leaves no tree and
// no handle into it. Without its menu strip the window is built without a menu.
TEST_F(WindowLayoutTest, AFailureAnywhereInTheTreeGivesNoApplication)
{
    for (int hideSound : {0, 1}) {
        ToolConfig.hideSound = hideSound;
        const int creations = CountCreations();
        ASSERT_GT(creations, 20);
        int failedBuilds = 0;
        for (int n = 1; n <= creations; ++n) {
            SCOPED_TRACE(testing::Message() << "hideSound " << hideSound << ", failing creation " << n);
            MUI_FailObjectCreation(n);
            Object *built = Build();
            MUI_FailObjectCreation(0);
            if (built == nullptr) {
                ++failedBuilds;
                for (Object *handle : {app, mainWindow, menuStrip, displayModeCycle, screenModeText,
                                       screenModeButton, soundCheckmark, volumeSlider, fpsCheckmark, fpsSlider,
                                       saveButton, aboutButton, helpButton, cancelButton}) {
                    EXPECT_EQ(handle, nullptr);
                }
            } else {
                EXPECT_EQ(menuStrip, nullptr);
            }
            Dispose();
        }
        EXPECT_EQ(failedBuilds, creations - 1);
    }
}

}  // namespace
