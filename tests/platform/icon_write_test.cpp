// Writing icons safely: permissions and owner kept, new icons under the umask,
// links followed, protected icons and failed writes leaving the old icon whole
// and no temporary file, a killed writer never leaving half; saves of several icons.
#include <gtest/gtest.h>

#include <algorithm>
#include <csignal>
#include <fcntl.h>
#include <filesystem>
#include <functional>
#include <grp.h>
#include <random>
#include <sched.h>
#include <string>
#include <sys/mount.h>
#include <sys/stat.h>
#include <sys/wait.h>
#include <sys/xattr.h>
#include <unistd.h>
#include <vector>

#include "platform/formats/icon_maker.h"
#include "platform/icons/icon_store.h"
#include "support/icon_test_util.h"
#include "support/temp_dir.h"

namespace {

using Texts = std::vector<std::string>;

constexpr int kUnavailable = 77;
constexpr uid_t kNobody = 65534;

// The exit code of the child pid, -signal when killed.
int WaitFor(pid_t pid)
{
    int status = 0;
    if (pid < 0 || waitpid(pid, &status, 0) != pid) {
        return -1000;
    }
    return WIFEXITED(status) ? WEXITSTATUS(status) : -WTERMSIG(status);
}

// Runs body in a forked child; its result is the child's exit code.
int InChild(const std::function<int()> &body)
{
    pid_t pid = fork();
    if (pid == 0) {
        _exit(body());
    }
    return WaitFor(pid);
}

// The names in a folder; a write must leave no other.
Texts FilesIn(const std::string &folder)
{
    Texts names;
    for (const auto &entry : std::filesystem::directory_iterator(folder)) {
        names.push_back(entry.path().filename());
    }
    std::sort(names.begin(), names.end());
    return names;
}

mode_t ModeOf(const std::string &path)
{
    struct stat st {};
    return stat(path.c_str(), &st) == 0 ? st.st_mode & 07777 : 0xFFFF;
}

// In a child with a private mount namespace: folder mounted with source, type and
// options (a read-only bind when type is null), then body run inside it.
int InMountedFolder(const std::string &folder, const char *type, const char *options, const std::function<int()> &body)
{
    return InChild([&] {
        const bool mounted =
            unshare(CLONE_NEWNS) == 0 && mount(nullptr, "/", nullptr, MS_REC | MS_PRIVATE, nullptr) == 0 &&
            (type != nullptr
                 ? mount("none", folder.c_str(), type, 0, options) == 0
                 : mount(folder.c_str(), folder.c_str(), nullptr, MS_BIND, nullptr) == 0 &&
                       mount(nullptr, folder.c_str(), nullptr, MS_REMOUNT | MS_BIND | MS_RDONLY, nullptr) == 0);
        return mounted && chdir(folder.c_str()) == 0 ? body() : kUnavailable;
    });
}

class IconWrite : public ::testing::Test {
protected:
    IconWrite()
    {
        IconSpec spec;
        spec.toolTypes = {"OLD", "MASTERVOLUME=10"};
        spec.newIconsLines = SampleNewIconsLines();
        WriteIcon("Icon.info", spec);
        old_ = ReadFileBytes("Icon.info");
    }
    TempDir dir_;
    ScopedChdir here_{dir_.path()};
    std::string old_;
};

// The extended attribute every test icon is given, where the file system has them.
const char kAttribute[] = "user.settings-test";

bool HasAttribute(const char *path)
{
    char value[8] = {};
    return getxattr(path, kAttribute, value, sizeof value) == 4 && std::string(value) == "kept";
}

TEST_F(IconWrite, PermissionsOwnerLinksAndAttributesAreKeptAndNewIconsFollowTheUmask)
{
    ASSERT_EQ(chmod("Icon.info", 0640), 0);
    const bool root = geteuid() == 0;  // only root may give the file away
    ASSERT_TRUE(!root || chown("Icon.info", kNobody, kNobody) == 0);
    const bool attributes = setxattr("Icon.info", kAttribute, "kept", 4, 0) == 0;
    for (bool linked : {false, true}) {
        ASSERT_EQ(linked ? link("Icon.info", "Twin.info") : 0, 0);
        EXPECT_TRUE(WriteToolTypes("Icon", {"NEW"}));
        EXPECT_EQ(ReadToolTypes(linked ? "Twin" : "Icon"), Texts{"NEW"});
        struct stat st {};
        ASSERT_EQ(stat("Icon.info", &st), 0);
        EXPECT_EQ(st.st_mode & 07777, 0640u);
        EXPECT_EQ(st.st_nlink, linked ? 2u : 1u);
        EXPECT_TRUE(!root || (st.st_uid == kNobody && st.st_gid == kNobody)) << st.st_uid << ":" << st.st_gid;
        EXPECT_TRUE(!attributes || HasAttribute("Icon.info"));
        EXPECT_EQ(FilesIn("."), (linked ? Texts{"Icon.info", "Twin.info"} : Texts{"Icon.info"}));
    }

    DiskObject *icon = GetDiskObject("Icon");
    ASSERT_NE(icon, nullptr);
    for (mode_t mask : {002, 077}) {
        const mode_t old = umask(mask);
        const std::string name = "New" + std::to_string(mask);
        EXPECT_TRUE(PutDiskObject(name.c_str(), icon));
        EXPECT_EQ(ModeOf(name + ".info"), 0666 & ~mask) << name;
        // A file's own mode is kept whatever the umask.
        ASSERT_EQ(chmod((name + ".info").c_str(), 0666), 0);
        EXPECT_TRUE(PutDiskObject(name.c_str(), icon));
        EXPECT_EQ(ModeOf(name + ".info"), 0666u) << name;
        umask(old);
    }
    FreeDiskObject(icon);
}

TEST_F(IconWrite, AnIconWhoseModeForbidsWritingIsNotReplacedEvenForRoot)
{
    for (mode_t mode : {0444, 0555, 0044, 0000}) {
        SCOPED_TRACE(mode);
        ASSERT_EQ(chmod("Icon.info", mode), 0);
        EXPECT_FALSE(WriteToolTypes("Icon", {"NEW"}));
        ASSERT_EQ(chmod("Icon.info", 0644), 0);
        EXPECT_EQ(ReadFileBytes("Icon.info"), old_);
        EXPECT_EQ(FilesIn("."), Texts{"Icon.info"});
    }
}

// Relative links from their own folder, chains; a dangling link is no icon and a
// write through it makes nothing.
TEST_F(IconWrite, LinksAreFollowedAndStayLinks)
{
    ASSERT_EQ(mkdir("real", 0755), 0);
    ASSERT_EQ(rename("Icon.info", "real/Target.info"), 0);
    ASSERT_EQ(chmod("real/Target.info", 0600), 0);
    ASSERT_EQ(symlink("real/Target.info", "Link.info"), 0);
    ASSERT_EQ(symlink("Link.info", "Chain.info"), 0);
    ASSERT_EQ(mkdir("sub", 0755), 0);
    ASSERT_EQ(symlink("../real/Target.info", "sub/Up.info"), 0);
    for (const char *name : {"Chain", "link", "sub/Up"}) {
        EXPECT_TRUE(WriteToolTypes(name, {name}));
        EXPECT_EQ(ReadToolTypes("real/Target"), Texts{name});
    }
    EXPECT_EQ(ModeOf("real/Target.info"), 0600u);
    for (const char *link : {"Link.info", "Chain.info", "sub/Up.info"}) {
        struct stat st {};
        ASSERT_EQ(lstat(link, &st), 0);
        EXPECT_TRUE(S_ISLNK(st.st_mode)) << link;
    }
    EXPECT_EQ(FilesIn("real"), Texts{"Target.info"});
    ASSERT_EQ(symlink("real/Gone.info", "Dangling.info"), 0);
    EXPECT_EQ(GetDiskObject("Dangling"), nullptr);
    DiskObject *icon = GetDiskObject("Link");
    EXPECT_FALSE(PutDiskObject("Dangling", icon));
    FreeDiskObject(icon);
    EXPECT_NE(access("real/Gone.info", F_OK), 0);
}

// A read-only mount, and a full disk: failed writes that leave the old icon and
// no temporary file (both need a private mount namespace, CAP_SYS_ADMIN).
TEST_F(IconWrite, AFailedWriteLeavesTheOldIconAndNoTemporaryFile)
{
    const std::string folder = dir_.path();
    int result = InMountedFolder(folder, nullptr, nullptr, [] {
        return (WriteToolTypes("Icon", {"NEW"}) ? 1 : 0) |
               (IconWriteProblem("Icon") != IconProblem::ReadOnlyFileSystem ? 2 : 0);
    });
    if (result == kUnavailable) {
        GTEST_SKIP() << "no private mount namespace here";
    }
    EXPECT_EQ(result, 0) << "1: a write to a read-only mount reported as done, 2: not said why";
    EXPECT_EQ(ReadFileBytes("Icon.info"), old_);
    EXPECT_EQ(FilesIn("."), Texts{"Icon.info"});

    ASSERT_EQ(mkdir("small", 0755), 0);
    const std::string icon = old_;
    result = InMountedFolder(dir_.file("small"), "tmpfs", "size=64k", [&icon] {
        WriteFileBytes("Icon.info", icon);
        int fd = open("filler", O_WRONLY | O_CREAT, 0644);
        char block[4096] = {};
        while (write(fd, block, sizeof block) > 0) {
        }
        close(fd);
        return (WriteToolTypes("Icon", Texts(40, std::string(1000, 'x'))) ? 1 : 0) |
               (ReadFileBytes("Icon.info") != icon ? 2 : 0) | (FilesIn(".") != Texts{"Icon.info", "filler"} ? 4 : 0) |
               (IconPutProblem() != IconProblem::NoSpace || IconWriteProblem("Icon") != IconProblem::NoSpace ? 8 : 0);
    });
    if (result == kUnavailable) {
        GTEST_SKIP() << "cannot mount a small tmpfs here (needs CAP_SYS_ADMIN)";
    }
    EXPECT_EQ(result, 0) << "1: reported as done, 2: old icon changed, 4: temporary file left, 8: not said why";
}

TEST_F(IconWrite, AnUnprivilegedUserIsRefusedByModeAndByFolder)
{
    if (geteuid() != 0) {
        GTEST_SKIP() << "needs root to become another user";
    }
    // The user nobody must reach the folders.
    ASSERT_EQ(chmod(dir_.path().c_str(), 0755), 0);
    ASSERT_EQ(mkdir("open", 0777), 0);
    ASSERT_EQ(chmod("open", 0777), 0);
    WriteFileBytes("open/Theirs.info", old_);
    ASSERT_EQ(chmod("open/Theirs.info", 0644), 0);  // root's, not writable by others
    WriteFileBytes("open/Shared.info", old_);
    ASSERT_EQ(chmod("open/Shared.info", 0666), 0);
    const bool attributes = setxattr("open/Shared.info", kAttribute, "kept", 4, 0) == 0;
    ASSERT_EQ(chmod("Icon.info", 0666), 0);  // writable, in a folder nobody may not change

    int result = InChild([] {
        // The folders above the test's may be closed to others (a private TMPDIR).
        if (setgroups(0, nullptr) != 0 || setgid(kNobody) != 0 || setuid(kNobody) != 0 ||
            ReadToolTypes("open/Shared") == Texts{"(no icon)"}) {
            return kUnavailable;
        }
        return (WriteToolTypes("Icon", {"NEW"}) ? 1 : 0) | (WriteToolTypes("open/Theirs", {"NEW"}) ? 2 : 0) |
               (WriteToolTypes("open/Shared", {"NEW"}) ? 0 : 4);
    });
    if (result == kUnavailable) {
        GTEST_SKIP() << "cannot switch to the user nobody, or nobody cannot reach " << dir_.path();
    }
    EXPECT_EQ(result, 0) << "1: written into a closed folder, 2: mode ignored, 4: writable file not written";
    EXPECT_EQ(ReadFileBytes("Icon.info"), old_);
    EXPECT_EQ(ReadFileBytes("open/Theirs.info"), old_);
    // Written by another user: root's still, with its attributes.
    EXPECT_EQ(ReadToolTypes("open/Shared"), Texts{"NEW"});
    struct stat st {};
    ASSERT_EQ(stat("open/Shared.info", &st), 0);
    EXPECT_EQ(st.st_uid, 0u);
    EXPECT_EQ(st.st_mode & 07777, 0666u);
    EXPECT_TRUE(!attributes || HasAttribute("open/Shared.info"));
    EXPECT_EQ(FilesIn("."), (Texts{"Icon.info", "open"}));
    EXPECT_EQ(FilesIn("open"), (Texts{"Shared.info", "Theirs.info"}));
}

// Killed at random moments, in place too (a hard-linked icon): after the next save
// in its folder the icon is the old or the new one, its links kept, nothing left.
TEST_F(IconWrite, AWriterKilledAtAnyMomentLeavesTheOldOrTheNewIcon)
{
    const Texts first = {"FIRST"}, second(30, "SECOND=a somewhat longer entry, so that the icon grows");
    ASSERT_TRUE(WriteToolTypes("Icon", second));
    const std::string secondBytes = ReadFileBytes("Icon.info");
    ASSERT_TRUE(WriteToolTypes("Icon", first));
    const std::string firstBytes = ReadFileBytes("Icon.info");
    WriteFileBytes("Other.info", firstBytes);
    std::mt19937 random(12345);
    for (bool linked : {false, true}) {
        ASSERT_EQ(linked ? link("Icon.info", "Twin.info") : 0, 0);
        int broken = 0;
        for (int round = 0; round < 40; ++round) {
            pid_t pid = fork();
            ASSERT_GE(pid, 0);
            if (pid == 0) {
                for (unsigned n = 0;; ++n) {
                    WriteToolTypes("Icon", n % 2 == 0 ? second : first);
                }
            }
            usleep(static_cast<useconds_t>(random() % 15000));
            kill(pid, SIGKILL);
            waitpid(pid, nullptr, 0);
            ASSERT_TRUE(WriteToolTypes("Other", first));
            const std::string now = ReadFileBytes("Icon.info");
            broken += now != firstBytes && now != secondBytes ? 1 : 0;
        }
        EXPECT_EQ(broken, 0) << "linked: " << linked;
        EXPECT_EQ(FilesIn("."),
                  (linked ? Texts{"Icon.info", "Other.info", "Twin.info"} : Texts{"Icon.info", "Other.info"}));
        struct stat st {};
        EXPECT_TRUE(stat("Icon.info", &st) == 0 && st.st_nlink == (linked ? 2u : 1u));
    }
}

// Saves of several icons: the leftovers of a writer that is gone cleared by the
// next save, and two saves at once each writing all their icons before the other.
class IconSave : public ::testing::Test {
protected:
    IconSave()
    {
        IconSpec spec;
        spec.toolTypes = {"OLD"};
        for (const char *name : {"A.info", "B.info", "C.info"}) {
            WriteIcon(name, spec);
        }
    }
    TempDir dir_;
    ScopedChdir here_{dir_.path()};
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
        // B under another name of the same folder.
        bool ok = WriteToolTypes("A", {tag}) && WriteToolTypes("./B", {tag}) && WriteToolTypes("C", {tag});
        if (killed) {
            _exit(ok ? 0 : 1);
        }
        _exit(ok && EndIconSave() == std::vector<IconProblem>(3, IconProblem::None) ? 0 : 1);
    }
    return pid;
}

TEST_F(IconSave, TheNextSaveClearsWhatAWriterThatIsGoneLeft)
{
    const std::string old = ReadFileBytes("B.info");
    ASSERT_EQ(link("B.info", "Twin.info"), 0);  // B is written in place, after a backup
    ASSERT_TRUE(WriteToolTypes("C", {"OLD"}));  // the saver is the child of a process that saved
    pid_t gone = StartSaver("HALF", true, -1);
    ASSERT_EQ(WaitFor(gone), 0);
    const std::string mark = ".settings-" + std::to_string(gone) + "-";
    Texts left = FilesIn(".");
    ASSERT_EQ(left.size(), 7u) << "a new file beside A and C, a backup beside B";
    EXPECT_EQ(left[0].rfind(".A.info" + mark, 0), 0u) << left[0];
    const std::string backup = left[1];
    ASSERT_EQ(backup.rfind(".B.info" + mark + "backup-", 0), 0u) << backup;
    EXPECT_EQ(ReadToolTypes("A"), Texts{"OLD"});

    // A whole backup goes back into its torn icon. One cut short (empty, a prefix)
    // is removed and its icon, which its writer never began to write, left alone.
    // What a writer that is still there (pid 1) has made stays.
    const std::string whole = ReadFileBytes(backup);
    WriteFileBytes(".C.info.settings-1-a1b2c3", "busy");
    for (std::size_t cut : {whole.size(), std::size_t{0}, old.size() / 2, whole.size() - 1}) {
        SCOPED_TRACE(cut);
        WriteFileBytes(backup, whole.substr(0, cut));
        WriteFileBytes("B.info", cut == whole.size() ? std::string("torn") : old);
        EXPECT_TRUE(WriteToolTypes("A", {"NEW"}));
        EXPECT_EQ(FilesIn("."), (Texts{".C.info.settings-1-a1b2c3", "A.info", "B.info", "C.info", "Twin.info"}));
        EXPECT_EQ(ReadFileBytes("Twin.info"), old);
    }
    EXPECT_EQ(ReadToolTypes("A"), Texts{"NEW"});
}

TEST_F(IconSave, ANewIconNeverReplacesAFileMadeWhileItWasPrepared)
{
    DiskObject *icon = GetDiskObject("A");
    ASSERT_NE(icon, nullptr);
    BeginIconSave();
    EXPECT_TRUE(PutDiskObject("New", icon));
    WriteFileBytes("New.info", "theirs");
    EXPECT_EQ(EndIconSave(), std::vector<IconProblem>{IconProblem::Changed});
    FreeDiskObject(icon);
    EXPECT_EQ(ReadFileBytes("New.info"), "theirs");
    EXPECT_EQ(FilesIn("."), (Texts{"A.info", "B.info", "C.info", "New.info"}));
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
    EXPECT_EQ(FilesIn("."), (Texts{"A.info", "B.info", "C.info"}));
}

}  // namespace
