// Writing icons safely: permissions and owner kept, new icons under the umask,
// links followed, failed writes leaving the old icon whole and no temporary file,
// other users refused by mode and folder, a killed writer never leaving half;
// saves of several icons.
#include <gtest/gtest.h>

#include <algorithm>
#include <csignal>
#include <fcntl.h>
#include <filesystem>
#include <fstream>
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
#include "platform/icons/icon_save.h"
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

// In a child: a private mount namespace in which folder is mounted with type and
// options, or bound read-only when type is null.
bool Mount(const std::string &folder, const char *type, const char *options)
{
    return unshare(CLONE_NEWNS) == 0 && mount(nullptr, "/", nullptr, MS_REC | MS_PRIVATE, nullptr) == 0 &&
           (type != nullptr
                ? mount("none", folder.c_str(), type, 0, options) == 0
                : mount(folder.c_str(), folder.c_str(), nullptr, MS_BIND, nullptr) == 0 &&
                      mount(nullptr, folder.c_str(), nullptr, MS_REMOUNT | MS_BIND | MS_RDONLY, nullptr) == 0);
}

// In a child: the user nobody, who must still reach the test's folders.
bool BecomeNobody()
{
    return setgroups(0, nullptr) == 0 && setgid(kNobody) == 0 && setuid(kNobody) == 0;
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

TEST_F(IconWrite, PermissionsOwnerAndAttributesAreKeptAndNewIconsFollowTheUmask)
{
    ASSERT_EQ(chmod("Icon.info", 0640), 0);
    const bool root = geteuid() == 0;  // only root may give the file away
    ASSERT_TRUE(!root || chown("Icon.info", kNobody, kNobody) == 0);
    const bool attributes = setxattr("Icon.info", kAttribute, "kept", 4, 0) == 0;
    EXPECT_TRUE(WriteToolTypes("Icon", {"NEW"}));
    EXPECT_EQ(ReadToolTypes("Icon"), Texts{"NEW"});
    struct stat st {};
    ASSERT_EQ(stat("Icon.info", &st), 0);
    EXPECT_EQ(st.st_mode & 07777, 0640u);
    EXPECT_TRUE(!root || (st.st_uid == kNobody && st.st_gid == kNobody)) << st.st_uid << ":" << st.st_gid;
    EXPECT_TRUE(!attributes || HasAttribute("Icon.info"));

    // A new icon follows the umask and never replaces a file made while it was
    // prepared; a file's own mode is kept whatever the umask.
    const mode_t mask = umask(002);
    DiskObject *icon = GetDiskObject("Icon");
    BeginIconSave();
    EXPECT_TRUE(PutDiskObject("Theirs", icon));
    WriteFileBytes("Theirs.info", "theirs");
    EXPECT_EQ(EndIconSave(), std::vector<IconProblem>{IconProblem::Changed});
    EXPECT_TRUE(PutDiskObject("New", icon));
    EXPECT_EQ(std::filesystem::status("New.info").permissions(), std::filesystem::perms(0664));
    EXPECT_EQ(chmod("New.info", 0666), 0);
    EXPECT_TRUE(PutDiskObject("New", icon));
    EXPECT_EQ(std::filesystem::status("New.info").permissions(), std::filesystem::perms(0666));
    FreeDiskObject(icon);
    umask(mask);
    EXPECT_EQ(ReadFileBytes("Theirs.info"), "theirs");
    EXPECT_EQ(FilesIn("."), (Texts{"Icon.info", "New.info", "Theirs.info"}));
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
    EXPECT_EQ(std::filesystem::status("real/Target.info").permissions(), std::filesystem::perms(0600));
    for (const char *link : {"Link.info", "Chain.info", "sub/Up.info"}) {
        EXPECT_TRUE(std::filesystem::is_symlink(link)) << link;
    }
    EXPECT_EQ(FilesIn("real"), Texts{"Target.info"});
    ASSERT_EQ(symlink("real/Gone.info", "Dangling.info"), 0);
    DiskObject *icon = GetDiskObject("Link");
    EXPECT_FALSE(PutDiskObject("Dangling", icon));
    FreeDiskObject(icon);
    EXPECT_NE(access("real/Gone.info", F_OK), 0);
}

// Writes that may fail, each in a child of its own in a folder holding only the
// icon: a read-only mount and a full disk (a private mount namespace needs
// CAP_SYS_ADMIN); as the user nobody, a folder and a mode that forbid the write,
// and a file others may write. Each is reported with why, told before too; a
// failed write leaves the old icon, and none leaves a file beside it. Written by
// another user, an icon keeps its owner, mode and attributes.
TEST_F(IconWrite, WritesThatMayFailAreToldAndLeaveNothingBeside)
{
    ASSERT_EQ(chmod(dir_.path().c_str(), 0755), 0);
    const char *folders[] = {"ro", "full", "closed", "mode", "shared"};
    for (const char *folder : folders) {
        ASSERT_EQ(mkdir(folder, 0777), 0);
        ASSERT_EQ(chmod(folder, std::string(folder) == "closed" ? 0755 : 0777), 0);
        WriteFileBytes(std::string(folder) + "/Icon.info", old_);
        ASSERT_EQ(chmod((std::string(folder) + "/Icon.info").c_str(), std::string(folder) == "mode" ? 0644 : 0666), 0);
    }
    const bool attributes = setxattr("shared/Icon.info", kAttribute, "kept", 4, 0) == 0;
    const std::string icon = old_;
    const std::function<bool()> enter[] = {[&] { return Mount(dir_.file("ro"), nullptr, nullptr); },
                                           [&] {
                                               if (!Mount(dir_.file("full"), "tmpfs", "size=64k")) {
                                                   return false;
                                               }
                                               WriteFileBytes(dir_.file("full/Icon.info"), icon);
                                               int fd =
                                                   open(dir_.file("full/filler").c_str(), O_WRONLY | O_CREAT, 0644);
                                               char block[4096] = {};
                                               while (write(fd, block, sizeof block) > 0) {
                                               }
                                               return close(fd) == 0;
                                           },
                                           BecomeNobody, BecomeNobody, BecomeNobody};
    const IconProblem why[] = {IconProblem::ReadOnlyFileSystem, IconProblem::NoSpace, IconProblem::PermissionDenied,
                               IconProblem::PermissionDenied, IconProblem::None};
    int skipped = 0;
    for (std::size_t i = 0; i < std::size(folders); ++i) {
        SCOPED_TRACE(folders[i]);
        const pid_t pid = fork();
        if (pid == 0) {
            // The folders above the test's may be closed to others (a private TMPDIR).
            if (!enter[i]() || chdir(folders[i]) != 0 || ReadToolTypes("Icon") == Texts{"(no icon)"}) {
                _exit(kUnavailable);
            }
            const Texts list(40, std::string(1000, 'x'));
            const bool written = WriteToolTypes("Icon", list);
            const bool told = IconPutProblem() == why[i] && IconWriteProblem("Icon") == why[i];
            unlink("filler");
            _exit((written != (why[i] == IconProblem::None) ? 1 : 0) |
                  ((written ? ReadToolTypes("Icon") != list : ReadFileBytes("Icon.info") != icon) ? 2 : 0) |
                  (FilesIn(".") != Texts{"Icon.info"} ? 4 : 0) | (told ? 0 : 8));
        }
        const int result = WaitFor(pid);
        skipped += result == kUnavailable ? 1 : 0;
        EXPECT_TRUE(result == 0 || result == kUnavailable)
            << result
            << " (1: reported wrongly, 2: neither the old icon nor the new one, 4: a file left, 8: not said why)";
    }
    struct stat st {};
    ASSERT_EQ(stat("shared/Icon.info", &st), 0);
    EXPECT_EQ(st.st_uid, geteuid());
    EXPECT_EQ(st.st_mode & 07777, 0666u);
    EXPECT_TRUE(!attributes || HasAttribute("shared/Icon.info"));
    if (skipped > 0) {
        GTEST_SKIP() << skipped << " of the writes need root, CAP_SYS_ADMIN, or folders nobody can reach";
    }
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
// next save, a backup written back only into the icon its writer tore, and two
// saves at once each writing all their icons before the other.
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
    ASSERT_EQ(link("B.info", "Twin.info"), 0);  // B is written in place, after a backup
    ASSERT_TRUE(WriteToolTypes("C", {"OLD"}));  // the saver is the child of a process that saved
    ASSERT_EQ(WaitFor(StartSaver("HALF", true, -1)), 0);
    EXPECT_EQ(FilesIn(".").size(), 7u) << "new files beside A, B (its backup's, unnamed yet) and C";
    // Under the lock every leftover is a dead writer's, whatever id it names.
    WriteFileBytes(".C.info.settings-1-a1b2c3", "busy");
    WriteFileBytes(".C.info.settings-" + std::to_string((1ull << 32) + getpid()) + "-a1b2c3", "wraps");
    EXPECT_TRUE(WriteToolTypes("A", {"NEW"}));
    EXPECT_EQ(FilesIn("."), (Texts{"A.info", "B.info", "C.info", "Twin.info"}));
    EXPECT_EQ(ReadToolTypes("B"), Texts{"OLD"});
}

// What a dry run and then a save do with each file under B's backup's name: the
// folder after the dry run as before, the note it gives, B after the save, and
// whether the file was left there (and named).
TEST_F(IconSave, ABackupIsWrittenOnlyIntoTheIconItsWriterTore)
{
    ASSERT_EQ(mkdir("two", 0755), 0);
    ASSERT_EQ(link("B.info", "two/B.info"), 0);
    const std::string old = ReadFileBytes("B.info");
    ASSERT_TRUE(WriteToolTypes("two/B", {"NEW"}));  // as long as the old one
    const std::string now = ReadFileBytes("B.info");
    ASSERT_TRUE(WriteToolTypes("two/B", {"OLD"}));
    const std::size_t at = now.find("NEW");
    ASSERT_EQ(now.size(), old.size());
    const std::string torn = now.substr(0, at + 1) + old.substr(at + 1);                    // cut short
    const std::string tornBack = old.substr(0, at + 1) + now[at + 1] + old.substr(at + 2);  // being put back
    struct stat b = {}, c = {};
    ASSERT_EQ(stat("B.info", &b), 0);
    ASSERT_EQ(stat("C.info", &c), 0);
    const std::string sealed = icon_files::SealedBackup(old, now, b);
    std::string changed = sealed, lastChanged = sealed;
    changed.back() ^= 1;
    lastChanged[sealed.size() - 49] ^= 1;  // the last of the new bytes, before the seal
    const std::string wraps = ".B.info.settings-" + std::to_string((1ull << 32) + getpid()) + "-backup-x";
    WriteFileBytes("sealed", sealed);
    const bool root = geteuid() == 0;
    using enum IconSaveNoteKind;
    struct Case {
        const char *what;
        std::string icon;    // B before the save
        char kind;           // under the backup's name: a file, a link (l), a second link (h),
        std::string backup;  // another user's file (u), a pipe (p), a folder (d)
        IconSaveNoteKind outcome;
    };
    const Case cases[] = {
        {"torn", torn, 'f', sealed, Restorable},
        {"torn while put back", tornBack, 'f', sealed, Restorable},
        {"holding the new bytes", now, 'f', sealed, Removable},
        {"holding the old bytes", old, 'f', sealed, Removable},
        {"a byte changed", torn, 'f', changed, LeftAlone},
        {"its last byte changed", torn, 'f', lastChanged, LeftAlone},
        {"of another icon", torn, 'f', icon_files::SealedBackup(old, now, c), LeftAlone},
        {"of a text", "text AB", 'f', icon_files::SealedBackup("text 12", "text AB", b), LeftAlone},
        {"a link to it", torn, 'l', "", LeftAlone},
        {"with two links", torn, 'h', "", LeftAlone},
        {"another user's", torn, 'u', sealed, root ? LeftAlone : Restorable},
        {"a pipe", torn, 'p', "", LeftAlone},
        {"a folder", torn, 'd', "", LeftAlone},
    };
    for (const Case &test : cases) {
        SCOPED_TRACE(test.what);
        for (const std::string &name : {std::string(".B.info.settings-1-backup-x"), wraps}) {
            WriteFileBytes("B.info", test.icon);
            ASSERT_TRUE(test.kind == 'l'   ? symlink("sealed", name.c_str()) == 0
                        : test.kind == 'h' ? link("sealed", name.c_str()) == 0
                        : test.kind == 'p' ? mkfifo(name.c_str(), 0600) == 0
                        : test.kind == 'd' ? mkdir(name.c_str(), 0700) == 0
                                           : (WriteFileBytes(name, test.backup), true));
            ASSERT_TRUE(test.kind != 'u' || !root || chown(name.c_str(), kNobody, kNobody) == 0);
            const Texts files = FilesIn(".");
            BeginIconSave(true);
            FreeDiskObject(GetDiskObject("A"));
            EndIconSave();
            EXPECT_EQ(FilesIn("."), files);
            EXPECT_EQ(ReadFileBytes("B.info"), test.icon);
            ASSERT_EQ(IconSaveNotes().size(), 1u);
            EXPECT_EQ(IconSaveNotes()[0].kind, test.outcome);
            EXPECT_EQ(IconSaveNotes()[0].file, name);
            EXPECT_EQ(IconWriteProblem("B") != IconProblem::None, test.outcome == LeftAlone);
            EXPECT_EQ(IconWriteProblem("A"), IconProblem::None);  // what is beside B is B's

            EXPECT_TRUE(WriteToolTypes("A", {"NEW"}));
            EXPECT_EQ(ReadFileBytes("B.info"), test.outcome == Restorable ? old : test.icon);
            EXPECT_EQ(std::filesystem::exists(std::filesystem::symlink_status(name)), test.outcome == LeftAlone);
            EXPECT_EQ(IconSaveNotes().size(), test.outcome == LeftAlone ? 1u : 0u);
            std::filesystem::remove_all(name);
        }
    }
    // A save through the other link, after a writer died having written B whole:
    // its change stays.
    WriteFileBytes("B.info", now);
    WriteFileBytes(wraps, sealed);
    ASSERT_TRUE(WriteToolTypes("two/B", {"TWO"}));
    EXPECT_TRUE(WriteToolTypes("A", {"NEW"}));
    EXPECT_EQ(ReadToolTypes("B"), Texts{"TWO"});
}

// A file under a backup's name is judged by its seal and size before it is read:
// a large one that cannot be a backup of its icon costs a save no read of it.
TEST_F(IconSave, ALargeFileUnderABackupsNameIsNotReadWhole)
{
    auto bytesRead = [] {
        std::ifstream io("/proc/self/io");
        std::string key;
        long long value = 0;
        while (io >> key >> value && key != "rchar:") {
        }
        return value;
    };
    WriteFileBytes(".A.info.settings-1-backup-large", "");
    ASSERT_EQ(truncate(".A.info.settings-1-backup-large", 30 << 20), 0);
    const long long before = bytesRead();
    EXPECT_TRUE(WriteToolTypes("C", {"NEW"}));
    EXPECT_EQ(IconWriteProblem("A"), IconProblem::ForeignLeftover);
    EXPECT_LT(bytesRead() - before, 1 << 20);
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
