// The object tree of the settings window: what is made, in which order, with
// which attributes, texts and initial values. Object creation is recorded by
// wrapping the toolkit's creation calls at link time (-Wl,--wrap).
#include <map>
#include <sstream>

#include "gui/window_fixture.h"

namespace {

struct Made {
    std::string className;              // or "Label", "VSpace", "Menustrip"
    std::vector<std::pair<Tag, IPTR>> tags;
    std::vector<std::string> texts;     // the text of each string-valued tag, copied
};

std::vector<Made> made;                 // every creation, in order
std::map<Object *, std::size_t> madeIndex;
bool recording = false;

void Record(Object *obj, Made entry)
{
    if (recording) {
        made.push_back(std::move(entry));
        if (obj != nullptr) {
            madeIndex[obj] = made.size() - 1;
        }
    }
}

}  // namespace

extern "C" {
Object *__real__Z14MUI_NewObjectAPKcPK7TagItem(const char *className, const TagItem *tags);
Object *__real__Z15MUI_MakeObjectAlPKl(IPTR type, const IPTR *params);

Object *__wrap__Z14MUI_NewObjectAPKcPK7TagItem(const char *className, const TagItem *tags)
{
    std::string name = className != nullptr ? className : "";
    if (name.size() > 4 && name.compare(name.size() - 4, 4, ".mui") == 0) {
        name.resize(name.size() - 4);
    }
    Made entry{name, {}, {}};
    for (const TagItem *item = tags; item != nullptr && item->ti_Tag != TAG_DONE; ++item) {
        entry.tags.emplace_back(item->ti_Tag, item->ti_Data);
        const bool isText = item->ti_Tag == MUIA_Application_Title ||
                            item->ti_Tag == MUIA_Application_Version ||
                            item->ti_Tag == MUIA_Application_Copyright ||
                            item->ti_Tag == MUIA_Application_Author ||
                            item->ti_Tag == MUIA_Application_Description ||
                            item->ti_Tag == MUIA_Application_Base || item->ti_Tag == MUIA_Window_Title ||
                            item->ti_Tag == MUIA_FrameTitle || item->ti_Tag == MUIA_Text_Contents ||
                            item->ti_Tag == MUIA_Text_PreParse;
        std::string text;
        if (isText && item->ti_Data != 0) {
            text = reinterpret_cast<const char *>(item->ti_Data);
        } else if (item->ti_Tag == MUIA_Cycle_Entries && item->ti_Data != 0) {
            for (auto *entryText = reinterpret_cast<const char *const *>(item->ti_Data); *entryText;
                 ++entryText) {
                text += std::string(text.empty() ? "" : "|") + *entryText;
            }
        }
        entry.texts.push_back(text);
    }
    Object *obj = __real__Z14MUI_NewObjectAPKcPK7TagItem(className, tags);
    Record(obj, std::move(entry));
    return obj;
}

Object *__wrap__Z15MUI_MakeObjectAlPKl(IPTR type, const IPTR *params)
{
    Made entry;
    if (type == MUIO_Label) {
        entry = {"Label", {{0, params[1]}}, {reinterpret_cast<const char *>(params[0])}};
    } else if (type == MUIO_VSpace) {
        entry = {"VSpace", {{0, params[0]}}, {""}};
    } else if (type == MUIO_MenustripNM) {
        entry = {"Menustrip", {{0, params[0]}, {1, params[1]}}, {"", ""}};
    }
    Object *obj = __real__Z15MUI_MakeObjectAlPKl(type, params);
    Record(obj, std::move(entry));
    return obj;
}
}

namespace {

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
    static const char *const frames[] = {"None", "Button", "ImageButton", "Text", "Group"};
    static const char *const images[] = {"WindowBack", "PageBack", "TextBack", "GroupBack",
                                         "ButtonBack", "PopUp", "CheckMark"};
    static const char *const fonts[] = {"Normal", "Big", "Button"};
    static const char *const inputModes[] = {"None", "RelVerify", "Toggle"};
    auto pick = [value](const char *const *names, IPTR count) {
        return value >= 0 && value < count ? std::string(names[value]) : std::to_string(value);
    };
    switch (tag) {
    case MUIA_Frame: return pick(frames, 5);
    case MUIA_Background:
    case MUIA_Image_Spec: return pick(images, 7);
    case MUIA_Font: return pick(fonts, 3);
    case MUIA_InputMode: return pick(inputModes, 3);
    case MUIA_Window_ID: {
        char hex[16];
        std::snprintf(hex, sizeof hex, "0x%08lX", static_cast<unsigned long>(value));
        return hex;
    }
    default: return std::to_string(value);
    }
}

// One line per object, children indented below their parent.
void Outline(Object *obj, int depth, std::ostringstream &out)
{
    out << std::string(2 * depth, ' ');
    auto it = madeIndex.find(obj);
    if (it == madeIndex.end()) {
        out << (obj == nullptr ? "null" : "unrecorded") << "\n";
        return;
    }
    const Made &m = made[it->second];
    out << m.className;
    if (m.className == "Label") {
        out << " \"" << m.texts[0] << "\" flags=" << m.tags[0].second << "\n";
        return;
    }
    if (m.className == "VSpace" || m.className == "Menustrip") {
        out << " " << m.tags[0].second << "\n";
        return;
    }
    std::vector<Object *> children;
    for (std::size_t i = 0; i < m.tags.size(); ++i) {
        const auto [tag, value] = m.tags[i];
        out << " " << TagName(tag);
        if (tag == MUIA_Application_Window || tag == MUIA_Window_RootObject || tag == MUIA_Group_Child) {
            children.push_back(reinterpret_cast<Object *>(value));
        } else if (tag == MUIA_Window_Menustrip) {
            out << "=" << (value == reinterpret_cast<IPTR>(menuStrip) && value != 0 ? "menuStrip" : "?");
        } else if (!m.texts[i].empty() || tag == MUIA_Text_Contents) {
            out << "=\"" << m.texts[i] << "\"";
        } else {
            out << "=" << Value(tag, value);
        }
    }
    out << "\n";
    for (Object *child : children) {
        Outline(child, depth + 1, out);
    }
}

std::string OutlineOf(Object *obj)
{
    std::ostringstream out;
    Outline(obj, 0, out);
    return out.str();
}

constexpr IPTR kLabelFlags = MUIO_Label_SingleFrame | MUIO_Label_LeftAligned;

std::string ExpectedTree(bool withSound)
{
    const std::string label = "\" flags=" + std::to_string(kLabelFlags) + "\n";
    const std::string check =
        "Image Frame=ImageButton InputMode=Toggle Image=CheckMark FreeVert=1 Selected=1 "
        "Background=ButtonBack ShowSelState=0 CycleChain=1\n";
    auto button = [](const char *text) {
        return std::string("          Text Frame=Button Font=Button Contents=\"") + text +
               "\" PreParse=\"\033c\" InputMode=RelVerify Background=ButtonBack CycleChain=1\n";
    };
    std::string sound = "      VSpace 10\n";
    if (withSound) {
        sound = "      Group Child Child Child\n"
                "        VSpace 10\n"
                "        Group Frame=Group FrameTitle=\"Sound settings\" Background=GroupBack Child Child Child\n"
                "          Group Horiz=1 Child Child\n"
                "            " + check +
                "            Text Contents=\"Enable sound output?\"\n"
                "          Label \"Master volume" + label +
                "          Slider Min=0 Max=64 Value=40 CycleChain=1\n"
                "        VSpace 10\n";
    }
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
           "              Label \"Screen mode" + label +
           // The sound area is indented as a child of the page group.
           [&] {
               std::string indented;
               std::istringstream lines(sound);
               for (std::string line; std::getline(lines, line);) {
                   indented += "  " + line + "\n";
               }
               return indented;
           }() +
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
        madeIndex.clear();
        recording = true;
    }
    void TearDown() override
    {
        recording = false;
        WindowTest::TearDown();
    }
};

TEST_F(WindowLayoutTest, TreeWithTheSoundSection)
{
    AppSettings.fpsLimitEnabled = 1;  // both checkmarks ticked
    ASSERT_NE(Build(), nullptr);
    EXPECT_EQ(OutlineOf(app), ExpectedTree(true));

    // The menu strip is made from the localised table, before anything else.
    ASSERT_FALSE(made.empty());
    EXPECT_EQ(made[0].className, "Menustrip");
    EXPECT_EQ(made[0].tags[0].second, reinterpret_cast<IPTR>(menuTable));
    EXPECT_EQ(made[0].tags[1].second, 0);

    // Every handle names its control.
    for (Object *handle : {mainWindow, displayModeCycle, screenModeText, screenModeButton, soundCheckmark,
                           volumeSlider, fpsCheckmark, fpsSlider, saveButton, aboutButton, helpButton,
                           cancelButton}) {
        EXPECT_NE(handle, nullptr);
    }
}

TEST_F(WindowLayoutTest, TreeWithTheSoundSectionHiddenHasASingleGap)
{
    ToolConfig.hideSound = 1;
    AppSettings.fpsLimitEnabled = 1;
    ASSERT_NE(Build(), nullptr);
    EXPECT_EQ(OutlineOf(app), ExpectedTree(false));
    EXPECT_EQ(soundCheckmark, nullptr);
    EXPECT_EQ(volumeSlider, nullptr);
    EXPECT_NE(fpsCheckmark, nullptr);
}

TEST_F(WindowLayoutTest, TitleAndBannerFollowTheApplicationName)
{
    std::snprintf(ToolConfig.appName, sizeof ToolConfig.appName, "Starfield");
    ASSERT_NE(Build(), nullptr);
    const std::string outline = OutlineOf(app);
    EXPECT_NE(outline.find("Window Title=\"Starfield Settings\""), std::string::npos);
    EXPECT_NE(outline.find("Contents=\"Starfield Settings\" Background=TextBack"), std::string::npos);
}

TEST_F(WindowLayoutTest, ControlsStartWithTheRecordsValues)
{
    AppSettings = {2, 0x00029000, 8, 33, 1, 17, 0};
    ASSERT_NE(Build(), nullptr);
    EXPECT_EQ(Attr(fpsCheckmark, MUIA_Selected), 1);
    EXPECT_EQ(Attr(fpsSlider, MUIA_Numeric_Value), 33);
    EXPECT_EQ(Attr(soundCheckmark, MUIA_Selected), 0);
    EXPECT_EQ(Attr(volumeSlider, MUIA_Numeric_Value), 17);
    // No active entry is given at creation: the cycle shows the first until the
    // main flow sets it.
    EXPECT_EQ(Attr(displayModeCycle, MUIA_Cycle_Active), 0);
}

TEST_F(WindowLayoutTest, OutOfRangeValuesArePassedUnchanged)
{
    AppSettings.fpsLimit = 0;  // no limit stored
    AppSettings.masterVolume = 99;
    ASSERT_NE(Build(), nullptr);
    EXPECT_EQ(made[madeIndex[fpsSlider]].tags[2], (std::pair<Tag, IPTR>{MUIA_Numeric_Value, 0}));
    EXPECT_EQ(made[madeIndex[volumeSlider]].tags[2], (std::pair<Tag, IPTR>{MUIA_Numeric_Value, 99}));
}

TEST_F(WindowLayoutTest, TheCycleShowsEachLoadedDisplayMode)
{
    for (std::int32_t mode : {0, 1, 2}) {
        SCOPED_TRACE(mode);
        AppSettings.displayMode = mode;
        BuildAndStart();
        EXPECT_EQ(Attr(displayModeCycle, MUIA_Cycle_Active), mode);
        MUI_DisposeObject(app);
        ResetWindowHandles();
    }
}

TEST_F(WindowLayoutTest, AFailureAnywhereInTheTreeGivesNoApplication)
{
    for (bool hideSound : {false, true}) {
        ToolConfig.hideSound = hideSound ? 1 : 0;
        int failedBuilds = 0;
        int n = 1;
        for (;; ++n) {
            SCOPED_TRACE(testing::Message() << "hideSound " << hideSound << ", failing creation " << n);
            made.clear();
            madeIndex.clear();
            MUI_FailObjectCreation(n);
            Object *built = Build();
            MUI_FailObjectCreation(0);
            if (built == nullptr) {
                ++failedBuilds;
                // The tree is gone: no handle points into it.
                for (Object *handle : {app, mainWindow, menuStrip, displayModeCycle, screenModeText,
                                       screenModeButton, soundCheckmark, volumeSlider, fpsCheckmark, fpsSlider,
                                       saveButton, aboutButton, helpButton, cancelButton}) {
                    EXPECT_EQ(handle, nullptr);
                }
                continue;
            }
            // Only a missing menu strip lets the window be built, without its menu.
            const bool menuFailed = menuStrip == nullptr;
            MUI_DisposeObject(app);
            ResetWindowHandles();
            if (!menuFailed) {
                break;  // n is past the last creation
            }
        }
        // Every object of the tree but the menu strip was made to fail once.
        EXPECT_GE(failedBuilds, static_cast<int>(made.size()) - 1);
        ASSERT_LT(n, 1000);
    }
}

}  // namespace
