// An output group's commit against a signal, a second run writing the same
// names and a full device: every final set is wholly old or wholly new.

#include <gtest/gtest.h>
#include <signal.h>
#include <sys/resource.h>
#include <sys/wait.h>

#include <climits>
#include <functional>
#include <set>

#include "database/AtomicOutput.h"
#include "tests/common/RunCommand.h"

namespace {

// Forks a run (as `user` unless -1) that writes `paths` as one output group,
// each holding `text`, and commits it once `beforeCommit` succeeds.
pid_t commitInChild(const std::vector<std::string>& paths, const std::string& text,
                    const std::function<bool()>& beforeCommit, uid_t user = -1) {
    const pid_t child = fork();
    if (child != 0) return child;
    if (user != static_cast<uid_t>(-1) && setuid(user) != 0) _exit(2);
    beginOutputGroup();
    for (const std::string& path : paths) {
        AtomicOutput out = openAtomicOutput(path);
        if (!out.stream || std::fputs(text.c_str(), out.stream) < 0 || !commitAtomicOutput(out)) _exit(3);
    }
    std::string failed;
    _exit(!beforeCommit() ? 4 : commitOutputGroup(failed) ? 0 : 1);
}

int exitStatus(pid_t child) {
    int status = 0;
    return waitpid(child, &status, 0) == child && WIFEXITED(status) ? WEXITSTATUS(status) : -1;
}

std::vector<std::string> names(const std::string& folder) {
    std::vector<std::string> paths;
    for (int k = 0; k < 100; ++k) paths.push_back(folder + "/f" + std::to_string(k));
    return paths;
}

size_t contents(const std::vector<std::string>& paths) {
    std::set<std::string> seen;
    for (const std::string& path : paths) seen.insert(readWholeFile(path));
    return seen.size();
}

}  // namespace

TEST(AtomicOutputGroup, ATerminatingSignalWaitsUntilTheSetIsWhole) {
    TempFolder folder("tarvex_signal_");
    const std::vector<std::string> paths = names(folder.path());
    for (int attempt = 0; attempt < 12; ++attempt) {
        ASSERT_EQ(exitStatus(commitInChild(paths, "old\n", [] { return true; })), 0);
        int ready[2];
        char byte;
        ASSERT_EQ(pipe(ready), 0);
        const pid_t child = commitInChild(paths, "new\n", [&] { return write(ready[1], "r", 1) == 1; });
        ASSERT_EQ(read(ready[0], &byte, 1), 1);
        usleep(static_cast<useconds_t>(attempt % 6) * 200);  // a different moment of the commit each time
        kill(child, SIGTERM);
        exitStatus(child);
        close(ready[0]);
        close(ready[1]);
        EXPECT_EQ(contents(paths), 1u) << "attempt " << attempt;
    }
}

TEST(AtomicOutputGroup, TwoRunsWritingTheSameNamesLeaveOneRunsSet) {
    TempFolder folder("tarvex_two_runs_");
    const std::vector<std::string> paths = names(folder.path());
    for (int attempt = 0; attempt < 6; ++attempt) {
        int ready[2], go[2];
        char byte;
        ASSERT_EQ(pipe(ready) | pipe(go), 0);
        pid_t runs[2];
        for (int run = 0; run < 2; ++run)  // both commit once the parent closes `go`
            runs[run] = commitInChild(paths, std::to_string(run), [&] {
                close(go[1]);
                return write(ready[1], "r", 1) == 1 && read(go[0], &byte, 1) == 0;
            });
        ASSERT_EQ(read(ready[0], &byte, 1) + read(ready[0], &byte, 1), 2);
        for (int fd : {ready[0], ready[1], go[0], go[1]}) close(fd);
        EXPECT_EQ(exitStatus(runs[0]) + exitStatus(runs[1]), 0);
        EXPECT_EQ(contents(paths), 1u) << "attempt " << attempt;
    }
}

// Files written over in place (a name with no room for ".tmp<pid>"; another
// user's file in a sticky folder, as "nobody" where root can switch), each
// beside a renamed one: a full device at the commit fails the run with the
// earlier files whole and no temporary file left.
TEST(AtomicOutputGroup, AFullDeviceLeavesTheEarlierSetWhole) {
    TempFolder folder("tarvex_full_");
    std::string deep = folder.path(), shared = folder.path() + "/shared";
    while (deep.size() + 220 < PATH_MAX) ASSERT_EQ(mkdir((deep += "/" + std::string(200, 'd')).c_str(), 0755), 0);
    writeTextFile(folder.path() + "/near", "old\n");
    ASSERT_EQ(mkdir(shared.c_str(), 0) | chmod(shared.c_str(), 01777) | chmod(folder.path().c_str(), 0755), 0);
    writeTextFile(shared + "/theirs", "old\n");
    ASSERT_EQ(chmod((shared + "/theirs").c_str(), 0666), 0);
    const std::vector<std::string> sets[] = {
        {folder.path() + "/near", deep + "/" + std::string(PATH_MAX - 4 - deep.size(), 'f')},
        {shared + "/new", shared + "/theirs"}};
    ASSERT_EQ(exitStatus(commitInChild({sets[0][1]}, "old\n", [] { return true; })), 0);
    for (int s = 0; s < 2; ++s) {
        if (s == 1 && geteuid() != 0) GTEST_SKIP() << "needs root to switch to the user nobody";
        const std::string before = runCommand("ls -R " + folder.path()).out + "0\n";
        const pid_t child = commitInChild(sets[s], std::string(1 << 16, 'n'), [] {
            const struct rlimit limit = {1 << 12, 1 << 12};
            return signal(SIGXFSZ, SIG_IGN) != SIG_ERR && setrlimit(RLIMIT_FSIZE, &limit) == 0;
        }, s == 1 ? 65534 : -1);
        EXPECT_EQ(exitStatus(child), 1);
        EXPECT_EQ(runCommand("ls -R " + folder.path() + "; ls /tmp | grep -c '^tarvex" + std::to_string(child) + "_'").out,
                  before);
        EXPECT_TRUE(readWholeFile(sets[s][0]).size() < 5 && readWholeFile(sets[s][1]) == "old\n");  // old or absent
    }
}
