#include "app/OutputFiles.h"

#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cerrno>
#include <climits>
#include <cstdio>
#include <cstdlib>
#include <cstring>

#include "database/AtomicOutput.h"

namespace {

[[noreturn]] void refuse(const std::string& output, const std::string& reason) {
    fflush(stdout);
    fprintf(stderr, "%s: %s\n", output.c_str(), reason.c_str());
    exit(1);
}

// The path that writing `path` reaches: the symbolic links at its end followed,
// also to a file that does not exist yet, and its folder made absolute. Empty
// when the folder cannot be found.
std::string reachedPath(const std::string& path) {
    std::string at = path;
    char text[PATH_MAX];
    for (int hops = 0; hops < 40; ++hops) {
        struct stat st;
        if (lstat(at.c_str(), &st) != 0 || !S_ISLNK(st.st_mode)) break;
        const ssize_t length = readlink(at.c_str(), text, sizeof text);
        if (length <= 0 || static_cast<size_t>(length) >= sizeof text) break;
        const std::string link(text, static_cast<size_t>(length));
        const size_t slash = at.rfind('/');
        at = link[0] == '/' || slash == std::string::npos ? link : at.substr(0, slash + 1) + link;
    }
    const size_t slash = at.rfind('/');
    const std::string folder = slash == std::string::npos ? "." : slash == 0 ? "/" : at.substr(0, slash);
    char real[PATH_MAX];
    if (!realpath(folder.c_str(), real)) return std::string();
    const std::string base = slash == std::string::npos ? at : at.substr(slash + 1);
    return std::string(real) + (std::strcmp(real, "/") == 0 ? "" : "/") + base;
}

// Why a file could not be created at `path`, which does not exist (0 when it
// could), found without creating anything there: a kill in between would leave
// an empty file under the final name.
int creationError(const std::string& path) {
    struct stat st;
    if (lstat(path.c_str(), &st) == 0) return EEXIST;  // a link that leads nowhere
    if (path.size() >= PATH_MAX) return ENAMETOOLONG;
    const size_t slash = path.rfind('/');
    const std::string folder = slash == std::string::npos ? "." : slash == 0 ? "/" : path.substr(0, slash);
    const std::string base = slash == std::string::npos ? path : path.substr(slash + 1);
    if (base.empty()) return EISDIR;
    if (stat(folder.c_str(), &st) != 0) return errno;
    if (!S_ISDIR(st.st_mode)) return ENOTDIR;
    const long nameMax = pathconf(folder.c_str(), _PC_NAME_MAX);
    if (base.size() > static_cast<size_t>(nameMax > 0 ? nameMax : NAME_MAX)) return ENAMETOOLONG;
    if (faccessat(AT_FDCWD, folder.c_str(), W_OK | X_OK, AT_EACCESS) != 0) return errno;
    return 0;
}

}  // namespace

void checkOutputFiles(const std::vector<std::string>& outputs, const std::vector<std::string>& inputs) {
    std::vector<std::string> reached;
    for (const std::string& out : outputs) reached.push_back(reachedPath(out));
    for (size_t i = 0; i < outputs.size(); ++i) {
        const std::string& out = outputs[i];
        struct stat so;
        const bool exists = stat(out.c_str(), &so) == 0;
        if (exists) {
            for (const std::string& in : inputs) {
                struct stat si;
                if (!in.empty() && stat(in.c_str(), &si) == 0 && si.st_dev == so.st_dev && si.st_ino == so.st_ino)
                    refuse(out, "this output would overwrite the input file " + in);
            }
        }
        // Two outputs that reach one file (a link from one to the other, say)
        // would leave only one of them; a device such as /dev/null takes both.
        for (size_t j = 0; j < outputs.size() && !(exists && !S_ISREG(so.st_mode)); ++j) {
            struct stat sj;
            const bool sameFile = exists && stat(outputs[j].c_str(), &sj) == 0 && sj.st_dev == so.st_dev &&
                                  sj.st_ino == so.st_ino;
            if (j != i && (sameFile || (!reached[i].empty() && reached[i] == reached[j])))
                refuse(out, "this output would overwrite the output file " + outputs[j]);
        }
        if (exists) {
            if (S_ISDIR(so.st_mode)) refuse(out, "cannot be written: it is a folder");
            const int fd = open(out.c_str(), O_WRONLY);
            if (fd < 0) refuse(out, std::string("cannot be written: ") + strerror(errno));
            close(fd);
        } else if (const int error = creationError(out)) {
            refuse(out, std::string("cannot be created: ") + strerror(error));
        }
    }
}

void commitRunOutputs() {
    std::string failed;
    if (!commitOutputGroup(failed)) outputWriteFailure(failed, errno);
}
