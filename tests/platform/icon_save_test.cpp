// Saves of several icons: the leftovers of a writer that is gone cleared by the
// next save, and two saves at once each writing all their icons before the other.
#include <gtest/gtest.h>

#include <filesystem>
#include <string>
#include <sys/wait.h>
#include <unistd.h>
#include <vector>

#include "platform/formats/icon_maker.h"
#include "platform/icon_store.h"
#include "support/icon_test_util.h"
#include "support/temp_dir.h"

namespace {

using Texts = std::vector<std::string>;

class IconSave : public ::testing::Test {
protected:
    IconSave() : here_(dir_.path())
    {
        IconSpec spec;
        spec.toolTypes = {"OLD"};
        for (const char *name : {"A.info", "B.info", "C.info"}) {
            WriteIcon(name, spec);
        }
    }
    Texts Files() const
    {
        Texts names;
        for (const auto &entry : std::filesystem::directory_iterator(dir_.path())) {
            names.push_back(entry.path().filename());
        }
        std::sort(names.begin(), names.end());
        return names;
    }

    TempDir dir_;
    ScopedChdir here_;
};

// A child that saves the three icons with tag; before putting them in place when
// killed is true.
pid_t StartSaver(const std::string &tag, bool killed, int ready)
{
    pid_t pid = fork();
    if (pid == 0) {
        char go;
        if (ready >= 0 && read(ready, &go, 1) != 1) {
            _exit(2);
        }
        BeginIconSave();
        bool ok = WriteToolTypes("A", {tag}) && WriteToolTypes("B", {tag}) && WriteToolTypes("C", {tag});
        if (killed) {
            _exit(ok ? 0 : 1);
        }
        _exit(ok && EndIconSave(nullptr, 0) == 3 ? 0 : 1);
    }
    return pid;
}

int WaitFor(pid_t pid)
{
    int status = 0;
    return waitpid(pid, &status, 0) == pid && WIFEXITED(status) ? WEXITSTATUS(status) : -1;
}

TEST_F(IconSave, TheNextSaveClearsWhatAWriterThatIsGoneLeft)
{
    const std::string old = ReadFileBytes("B.info");
    pid_t gone = StartSaver("HALF", true, -1);
    ASSERT_EQ(WaitFor(gone), 0);
    const std::string mark = ".settings-" + std::to_string(gone) + "-";
    Texts left = Files();
    ASSERT_EQ(left.size(), 6u) << "a new file beside each icon";
    EXPECT_EQ(left[0].rfind(".A.info" + mark, 0), 0u) << left[0];
    EXPECT_EQ(ReadToolTypes("A"), Texts{"OLD"});

    // The backup of an icon that was being written in place goes back into it; what
    // a writer that is still there (pid 1) has made stays.
    WriteFileBytes("B.info", "torn");
    WriteFileBytes(".B.info" + mark + "backup-x1y2z3", old);
    WriteFileBytes(".C.info.settings-1-a1b2c3", "busy");
    EXPECT_TRUE(WriteToolTypes("A", {"NEW"}));
    EXPECT_EQ(Files(), (Texts{".C.info.settings-1-a1b2c3", "A.info", "B.info", "C.info"}));
    EXPECT_EQ(ReadFileBytes("B.info"), old);
    EXPECT_EQ(ReadToolTypes("A"), Texts{"NEW"});
}

TEST_F(IconSave, TwoSavesAtOnceEachWriteAllTheirIcons)
{
    int mixed = 0;
    for (int round = 0; round < 20; ++round) {
        int go[2];
        ASSERT_EQ(pipe(go), 0);
        pid_t first = StartSaver("FIRST", false, go[0]);
        pid_t second = StartSaver("SECOND", false, go[0]);
        ASSERT_EQ(write(go[1], "ab", 2), 2);
        close(go[0]);
        close(go[1]);
        ASSERT_EQ(WaitFor(first), 0);
        ASSERT_EQ(WaitFor(second), 0);
        Texts a = ReadToolTypes("A");
        mixed += ReadToolTypes("B") != a || ReadToolTypes("C") != a ? 1 : 0;
    }
    EXPECT_EQ(mixed, 0);
    EXPECT_EQ(Files(), (Texts{"A.info", "B.info", "C.info"}));
}

}  // namespace
