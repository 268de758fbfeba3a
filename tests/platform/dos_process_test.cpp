#include <pthread.h>
#include <sys/stat.h>
#include <unistd.h>

#include <atomic>
#include <cstdlib>
#include <string>

#include <gtest/gtest.h>

#include "platform/dos.h"
#include "support/temp_dir.h"

namespace {

TEST(DosOpen, OpensOnlyExistingReadableFiles)
{
    TempDir dir;
    WriteFileBytes(dir.file("help.md"), "# Help\n");
    BPTR file = Open(dir.file("help.md").c_str(), MODE_OLDFILE);
    EXPECT_NE(file, 0);
    EXPECT_NE(Close(file), 0);

    EXPECT_EQ(Open(dir.file("missing").c_str(), MODE_OLDFILE), 0);
    EXPECT_EQ(Open(dir.path().c_str(), MODE_OLDFILE), 0);  // a folder is no document
    EXPECT_EQ(Open(nullptr, MODE_OLDFILE), 0);
    EXPECT_EQ(Open(dir.file("help.md").c_str(), 1006), 0);  // only reading is offered
    ASSERT_EQ(mkfifo(dir.file("fifo").c_str(), 0600), 0);
    EXPECT_EQ(Open(dir.file("fifo").c_str(), MODE_OLDFILE), 0);  // refused, without blocking
    EXPECT_EQ(Close(0), 0);
}

std::atomic<int> entryRuns{0};
char seenThreadName[32];

void RecordingEntry()
{
    pthread_getname_np(pthread_self(), seenThreadName, sizeof seenThreadName);
    entryRuns.fetch_add(1);
}

TEST(DosProcess, RunsTheEntryUnderItsNameIsReapedOrReportsFailure)
{
    entryRuns = 0;
    Process *process = CreateNewProcTags(NP_Entry, RecordingEntry, NP_Name,
                                         "Vellumine Settings subtask", NP_StackSize, 16384,
                                         TAG_DONE);
    ASSERT_NE(process, nullptr);
    EXPECT_TRUE(WaitForProcesses(10000));
    EXPECT_EQ(entryRuns.load(), 1);
    EXPECT_STREQ(seenThreadName, "Vellumine Setti");  // the system keeps 15 characters
    EXPECT_EQ(RunningProcessCount(), 0);

    // Many in a row, reaped as they end.
    for (int i = 0; i < 20; ++i) {
        ASSERT_NE(CreateNewProcTags(NP_Entry, RecordingEntry, NP_Name, "p", TAG_DONE), nullptr);
    }
    EXPECT_TRUE(WaitForProcesses(10000));
    EXPECT_EQ(entryRuns.load(), 21);

    // What cannot be started is reported.
    EXPECT_EQ(CreateNewProcTags(NP_Name, "no entry", TAG_DONE), nullptr);
    DosFailProcessCreation(true);
    EXPECT_EQ(CreateNewProcTags(NP_Entry, RecordingEntry, NP_Name, "x", TAG_DONE), nullptr);
    DosFailProcessCreation(false);
}

// A program that writes its argument count and arguments, one a line, to log.
std::string ArgumentLogger(const TempDir &dir, int status = 0)
{
    std::string path = dir.file("logger.sh");
    WriteFileBytes(path, "#!/bin/sh\nprintf '%s\\n' \"$#\" \"$@\" > '" + dir.file("log") +
                             "'\nexit " + std::to_string(status) + "\n");
    chmod(path.c_str(), 0755);
    return path;
}

TEST(DosRunProgram, PassesTheArgumentWholeWithoutAShellAndReturnsTheStatus)
{
    TempDir dir;
    const std::string logger = ArgumentLogger(dir);
    for (const std::string &argument :
         {std::string("Starfield.md"), std::string("My Help Files/Star field.md"),
          "a; touch '" + dir.file("ran") + "'", "$(touch " + dir.file("ran") + ")",
          std::string("`id` | cat > x & \"q\" *"), std::string("-rf"), std::string("")}) {
        ASSERT_EQ(RunProgram(logger.c_str(), argument.c_str()), 0) << argument;
        EXPECT_EQ(ReadFileBytes(dir.file("log")), "1\n" + argument + "\n");
    }
    EXPECT_NE(access(dir.file("ran").c_str(), F_OK), 0) << "a command in the argument ran";

    // The program's status, or -1 when it does not run or is killed.
    EXPECT_EQ(RunProgram(ArgumentLogger(dir, 3).c_str(), "x"), 3);
    EXPECT_EQ(RunProgram(dir.file("missing").c_str(), "x"), -1);
    EXPECT_EQ(RunProgram(dir.path().c_str(), "x"), -1);
    WriteFileBytes(dir.file("killed.sh"), "#!/bin/sh\nkill -9 $$\n");
    chmod(dir.file("killed.sh").c_str(), 0755);
    EXPECT_EQ(RunProgram(dir.file("killed.sh").c_str(), "x"), -1);
    EXPECT_EQ(RunProgram(ArgumentLogger(dir).c_str(), nullptr), -1);
}

TEST(DosViewer, TheOverrideNamesTheViewer)
{
    TempDir dir;
    const std::string viewer = ArgumentLogger(dir);
    char buffer[256];
    setenv("SETTINGS_VIEWER", viewer.c_str(), 1);
    EXPECT_TRUE(FindViewerProgram(buffer, sizeof buffer));
    EXPECT_EQ(std::string(buffer), viewer);

    char tiny[8];
    EXPECT_FALSE(FindViewerProgram(tiny, sizeof tiny));  // cut short: not used
    EXPECT_EQ(std::string(tiny).size(), sizeof tiny - 1);

    setenv("SETTINGS_VIEWER", dir.file("missing").c_str(), 1);
    EXPECT_FALSE(FindViewerProgram(buffer, sizeof buffer));
    unsetenv("SETTINGS_VIEWER");
}

}  // namespace
