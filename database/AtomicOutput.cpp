#include "database/AtomicOutput.h"

#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <algorithm>
#include <cerrno>
#include <climits>
#include <cstdlib>
#include <vector>

namespace {

// Temporary files opened and not yet committed or discarded; built on the
// first open and never freed, so that it outlives everything that runs at exit.
std::vector<std::string>* pending = nullptr;

std::vector<std::string>& pendingTemps() {
    if (!pending) {
        pending = new std::vector<std::string>;
        std::atexit(removePendingOutputs);
    }
    return *pending;
}

void forget(const std::string& temp) {
    std::vector<std::string>& temps = pendingTemps();
    auto it = std::find(temps.begin(), temps.end(), temp);
    if (it != temps.end()) temps.erase(it);
}

// The name to rename onto: `path`, or the regular file a link at `path` leads to.
// Empty when `path` exists as something other than a regular file.
std::string renameTarget(const std::string& path, struct stat& target, bool& exists) {
    exists = false;
    struct stat link;
    if (lstat(path.c_str(), &link) != 0) return path;  // a new file (or a folder that is missing: open says so)
    if (stat(path.c_str(), &target) != 0 || !S_ISREG(target.st_mode)) return std::string();
    exists = true;
    if (!S_ISLNK(link.st_mode)) return path;
    char resolved[PATH_MAX];
    return realpath(path.c_str(), resolved) ? std::string(resolved) : std::string();
}

}  // namespace

AtomicOutput openAtomicOutput(const std::string& path) {
    AtomicOutput out;
    out.finalPath = path;
    struct stat existing;
    bool exists = false;
    const std::string target = renameTarget(path, existing, exists);
    if (target.empty()) {
        out.stream = std::fopen(path.c_str(), "w");
        return out;
    }
    // A file that could not be opened for writing in place is not replaced either.
    if (exists && access(target.c_str(), W_OK) != 0) return out;

    const std::string stem = target + ".tmp" + std::to_string(getpid());
    int fd = -1;
    std::string temp;
    for (int attempt = 0; attempt < 100 && fd < 0; ++attempt) {
        temp = attempt == 0 ? stem : stem + "_" + std::to_string(attempt);
        fd = open(temp.c_str(), O_WRONLY | O_CREAT | O_EXCL, 0666);
        if (fd < 0 && errno != EEXIST) {
            // A writable file in a folder that takes no new file is written in place, as the only way left.
            if (exists && errno == EACCES) out.stream = std::fopen(path.c_str(), "w");
            return out;
        }
    }
    if (fd < 0) return out;
    if (exists && fchmod(fd, existing.st_mode & 07777) != 0) {
        // The file is still written; only its permission bits differ.
    }
    out.stream = fdopen(fd, "w");
    if (!out.stream) {
        const int saved = errno;
        close(fd);
        unlink(temp.c_str());
        errno = saved;
        return out;
    }
    out.finalPath = target;
    out.tempPath = temp;
    pendingTemps().push_back(temp);
    return out;
}

bool commitAtomicOutput(AtomicOutput& out) {
    if (!out.stream) return false;
    const bool failed = std::ferror(out.stream) != 0;
    const bool closed = std::fclose(out.stream) == 0;
    out.stream = nullptr;
    if (out.tempPath.empty()) return closed && !failed;
    const bool ok = closed && !failed && std::rename(out.tempPath.c_str(), out.finalPath.c_str()) == 0;
    if (!ok) unlink(out.tempPath.c_str());
    forget(out.tempPath);
    out.tempPath.clear();
    return ok;
}

void discardAtomicOutput(AtomicOutput& out) {
    if (out.stream) std::fclose(out.stream);
    out.stream = nullptr;
    if (out.tempPath.empty()) return;
    unlink(out.tempPath.c_str());
    forget(out.tempPath);
    out.tempPath.clear();
}

void removePendingOutputs() {
    if (!pending) return;
    for (const std::string& temp : *pending) unlink(temp.c_str());
}
