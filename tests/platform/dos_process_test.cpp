#include <sys/stat.h>
#include <unistd.h>

#include <string>

#include <gtest/gtest.h>

#include "platform/system/dos.h"
#include "support/catalog_test_util.h"
#include "support/temp_dir.h"

namespace {

// A program that writes its argument count and arguments, one a line, to log.
std::string Script(const TempDir &dir, const std::string &name, const std::string &body, mode_t mode = 0755)
{
    WriteFileBytes(dir.file(name), "#!/bin/sh\n" + body + "\n");
    chmod(dir.file(name).c_str(), mode);
    return dir.file(name);
}

// No shell: the argument is passed whole; the status, or whether the program
// could not be started or was killed.
TEST(DosRunProgram, PassesTheArgumentWholeWithoutAShellAndReturnsTheStatus)
{
    TempDir dir;
    const std::string logger = Script(dir, "logger.sh", "printf '%s\\n' \"$#\" \"$@\" > '" + dir.file("log") + "'");
    for (const std::string &argument : {std::string("My Help Files/Star field.md"),
                                        "a; touch '" + dir.file("ran") + "'", "$(touch " + dir.file("ran") + ")",
                                        std::string("`id` | cat > x & \"q\" *"), std::string("-rf"), std::string("")}) {
        ASSERT_EQ(RunProgram(logger.c_str(), argument.c_str()), 0) << argument;
        EXPECT_EQ(ReadFileBytes(dir.file("log")), "1\n" + argument + "\n");
    }
    EXPECT_NE(access(dir.file("ran").c_str(), F_OK), 0) << "a command in the argument ran";
    EXPECT_EQ(RunProgram(Script(dir, "three.sh", "exit 3").c_str(), "x"), 3);
    EXPECT_EQ(RunProgram(Script(dir, "killed.sh", "kill -9 $$").c_str(), "x"), PROGRAM_KILLED);
    EXPECT_EQ(RunProgram(dir.file("missing").c_str(), "x"), PROGRAM_NOT_STARTED);
    EXPECT_EQ(RunProgram(dir.path().c_str(), "x"), PROGRAM_NOT_STARTED);
}

// The override names the viewer when it can be run: not when missing, not
// executable, or too long for the buffer.
TEST(DosViewer, TheOverrideNamesTheViewerThatCanRun)
{
    TempDir dir;
    const std::string viewer = Script(dir, "viewer.sh", "exit 0");
    char buffer[256], tiny[8];
    ScopedEnvVar override("SETTINGS_VIEWER", viewer);
    EXPECT_TRUE(FindViewerProgram(buffer, sizeof buffer));
    EXPECT_EQ(std::string(buffer), viewer);
    EXPECT_FALSE(FindViewerProgram(tiny, sizeof tiny));
    for (const std::string &cannot : {dir.file("missing"), Script(dir, "plain.sh", "exit 0", 0644)}) {
        ScopedEnvVar other("SETTINGS_VIEWER", cannot);
        EXPECT_FALSE(FindViewerProgram(buffer, sizeof buffer)) << cannot;
    }
}

}  // namespace
