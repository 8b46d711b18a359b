// An output group's commit against signals, a second run writing the same
// names and a full device: every final set is wholly old or wholly new.

#include <dirent.h>
#include <gtest/gtest.h>
#include <signal.h>
#include <sys/resource.h>
#include <sys/stat.h>
#include <sys/wait.h>
#include <unistd.h>

#include <climits>
#include <set>
#include <string>
#include <utility>
#include <vector>

#include "database/AtomicOutput.h"
#include "tests/common/RunCommand.h"

using namespace std::string_literals;

namespace {

std::vector<std::string> names(const std::string& folder, int count) {
    std::vector<std::string> paths;
    for (int k = 0; k < count; ++k) paths.push_back(folder + "/f" + std::to_string(k));
    return paths;
}

// Writes `paths` as one output group, each holding `text`; before the commit,
// `ready` (when given) hears a byte and `go` (when given) is read to its end.
// Returns the commit's success.
bool commitSet(const std::vector<std::string>& paths, const std::string& text, int ready = -1, int go = -1) {
    beginOutputGroup();
    for (const std::string& path : paths) {
        AtomicOutput out = openAtomicOutput(path);
        if (!out.stream || std::fputs(text.c_str(), out.stream) < 0 || !commitAtomicOutput(out)) return false;
    }
    char byte;
    if ((ready >= 0 && write(ready, "r", 1) != 1) || (go >= 0 && read(go, &byte, 1) != 0)) return false;
    std::string failed;
    return commitOutputGroup(failed);
}

std::set<std::string> contents(const std::vector<std::string>& paths) {
    std::set<std::string> seen;
    for (const std::string& path : paths) seen.insert(readWholeFile(path));
    return seen;
}

int exitStatus(pid_t child) {
    int status = 0;
    return waitpid(child, &status, 0) == child && WIFEXITED(status) ? WEXITSTATUS(status) : -1;
}

}  // namespace

TEST(AtomicOutputGroup, ATerminatingSignalWaitsUntilTheSetIsWhole) {
    TempFolder folder("tarvex_signal_");
    const std::vector<std::string> paths = names(folder.path(), 100);
    for (int attempt = 0; attempt < 12; ++attempt) {
        ASSERT_TRUE(commitSet(paths, "old\n"));
        int ready[2];
        ASSERT_EQ(pipe(ready), 0);
        const pid_t child = fork();
        if (child == 0) _exit(commitSet(paths, "new\n", ready[1]) ? 0 : 1);
        char byte;
        close(ready[1]);
        ASSERT_EQ(read(ready[0], &byte, 1), 1);
        close(ready[0]);
        usleep(static_cast<useconds_t>(attempt % 6) * 200);  // a different moment of the commit each time
        kill(child, SIGTERM);
        exitStatus(child);
        EXPECT_EQ(contents(paths).size(), 1u) << "attempt " << attempt;
    }
}

TEST(AtomicOutputGroup, TwoRunsWritingTheSameNamesLeaveOneRunsSet) {
    TempFolder folder("tarvex_two_runs_");
    const std::vector<std::string> paths = names(folder.path(), 100);
    for (int attempt = 0; attempt < 6; ++attempt) {
        int ready[2], go[2];
        ASSERT_EQ(pipe(ready), 0);
        ASSERT_EQ(pipe(go), 0);
        pid_t runs[2];
        for (int run = 0; run < 2; ++run) {
            runs[run] = fork();
            if (runs[run] != 0) continue;
            close(go[1]);  // both runs commit once the parent closes `go`
            _exit(commitSet(paths, "run " + std::to_string(run) + "\n", ready[1], go[0]) ? 0 : 1);
        }
        char byte;
        ASSERT_EQ(read(ready[0], &byte, 1), 1);
        ASSERT_EQ(read(ready[0], &byte, 1), 1);
        close(go[1]);
        close(go[0]);
        close(ready[0]);
        close(ready[1]);
        EXPECT_EQ(exitStatus(runs[0]), 0);
        EXPECT_EQ(exitStatus(runs[1]), 0);
        EXPECT_EQ(contents(paths).size(), 1u) << "attempt " << attempt;
    }
}

namespace {

// Commits a new, larger `paths` in a child (as `user` when not -1) whose file
// size limit drops below the new size once every file is written. Returns its
// exit status (1: the commit failed, naming `failing`) and a listing of
// `folder` with the count of the child's temporary files in /tmp.
std::pair<int, std::string> commitOnAFullDevice(const std::vector<std::string>& paths, const std::string& failing,
                                                uid_t user, const std::string& folder) {
    const pid_t child = fork();
    if (child != 0) {
        const int status = exitStatus(child);
        return {status, runCommand("ls " + folder + "; ls /tmp | grep -c '^tarvex" + std::to_string(child) + "_'").out};
    }
    signal(SIGXFSZ, SIG_IGN);
    if (user != static_cast<uid_t>(-1) && setuid(user) != 0) _exit(3);
    beginOutputGroup();
    for (const std::string& path : paths) {
        AtomicOutput out = openAtomicOutput(path);
        if (!out.stream || std::fputs(std::string(1 << 16, 'n').c_str(), out.stream) < 0 || !commitAtomicOutput(out))
            _exit(4);
    }
    const struct rlimit limit = {1 << 12, 1 << 12};
    std::string failed;
    _exit(setrlimit(RLIMIT_FSIZE, &limit) != 0 ? 5 : commitOutputGroup(failed) ? 0 : failed == failing ? 1 : 2);
}

}  // namespace

// Files written over in place: one whose folder takes no name long enough for
// the temporary suffix, and (as "nobody", where root can switch) another
// user's file in a sticky folder. A full device fails the run before anything
// is renamed or overwritten, and leaves no temporary file.
TEST(AtomicOutputGroup, AFullDeviceLeavesTheEarlierSetWhole) {
    TempFolder folder("tarvex_full_");
    std::string deep = folder.path();
    while (deep.size() + 220 < PATH_MAX) {
        deep += "/" + std::string(200, 'd');
        ASSERT_EQ(mkdir(deep.c_str(), 0755), 0);
    }
    const std::string far = deep + "/" + std::string(PATH_MAX - 4 - deep.size(), 'f');  // no room for ".tmp"
    const std::vector<std::string> paths = {folder.path() + "/near", far};
    ASSERT_TRUE(commitSet(paths, "old\n"));
    const std::string before = runCommand("ls " + folder.path()).out + "0\n";
    EXPECT_EQ(commitOnAFullDevice(paths, far, -1, folder.path()), std::make_pair(1, before));
    EXPECT_TRUE(contents(paths) == std::set<std::string>{"old\n"});

    const std::string shared = folder.path() + "/shared";
    const std::vector<std::string> sharedPaths = {shared + "/new", shared + "/theirs"};
    ASSERT_EQ(mkdir(shared.c_str(), 01777), 0);
    writeTextFile(shared + "/theirs", "old\n");
    if (geteuid() != 0) GTEST_SKIP() << "needs root to switch to the user nobody";
    ASSERT_EQ(chmod(folder.path().c_str(), 0755) | chmod(shared.c_str(), 01777) | chmod(sharedPaths[1].c_str(), 0666), 0);
    EXPECT_EQ(commitOnAFullDevice(sharedPaths, sharedPaths[1], 65534, shared), std::make_pair(1, "theirs\n0\n"s));
    EXPECT_TRUE(readWholeFile(sharedPaths[1]) == "old\n");
}
