#include "database/AtomicOutput.h"

#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <algorithm>
#include <cerrno>
#include <climits>
#include <cstdlib>
#include <cstring>
#include <utility>
#include <vector>

namespace {

// Temporary files opened and not yet put in place or discarded; built on the
// first open and never freed, so that it outlives everything that runs at exit.
std::vector<std::string>* pending = nullptr;

// Inside an output group: the committed files waiting for the group's commit,
// as (temporary name, final name).
bool grouping = false;
std::vector<std::pair<std::string, std::string>> held;

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

// `target` with the suffix appended, its last component cut short so that it
// stays a name the file system takes.
std::string tempName(const std::string& target, const std::string& suffix) {
    const size_t slash = target.rfind('/');
    const size_t baseStart = slash == std::string::npos ? 0 : slash + 1;
    const size_t baseLength = target.size() - baseStart;
    const size_t room = NAME_MAX > suffix.size() ? NAME_MAX - suffix.size() : 0;
    return target.substr(0, baseStart + std::min(baseLength, room)) + suffix;
}

// Copies the complete temporary file over the final one, for a final name that
// takes writes but no rename. Leaves errno set on failure.
bool copyInPlace(const std::string& temp, const std::string& final) {
    const int in = open(temp.c_str(), O_RDONLY);
    if (in < 0) return false;
    const int out = open(final.c_str(), O_WRONLY | O_TRUNC);
    if (out < 0) {
        const int saved = errno;
        close(in);
        errno = saved;
        return false;
    }
    char buffer[1 << 16];
    bool ok = true;
    for (;;) {
        const ssize_t got = read(in, buffer, sizeof buffer);
        if (got == 0) break;
        if (got < 0) {
            if (errno == EINTR) continue;
            ok = false;
            break;
        }
        for (ssize_t done = 0; done < got && ok;) {
            const ssize_t put = write(out, buffer + done, static_cast<size_t>(got - done));
            if (put < 0 && errno == EINTR) continue;
            if (put <= 0) {
                if (put == 0) errno = EIO;
                ok = false;
            } else {
                done += put;
            }
        }
        if (!ok) break;
    }
    const int saved = errno;
    close(in);
    if (close(out) != 0 && ok) return false;
    errno = saved;
    return ok;
}

// Puts a complete temporary file under its final name and forgets it.
bool placeFile(const std::string& temp, const std::string& final) {
    const bool renamed = std::rename(temp.c_str(), final.c_str()) == 0;
    bool ok = renamed;
    if (!renamed && (errno == EPERM || errno == EACCES || errno == EBUSY)) ok = copyInPlace(temp, final);
    const int saved = errno;
    if (!renamed) unlink(temp.c_str());
    forget(temp);
    errno = saved;
    return ok;
}

}  // namespace

AtomicOutput openAtomicOutput(const std::string& path) {
    AtomicOutput out;
    out.name = path;
    out.finalPath = path;
    struct stat existing;
    bool exists = false;
    const std::string target = renameTarget(path, existing, exists);
    auto openDirectly = [&]() {
        out.stream = std::fopen(path.c_str(), "w");
        if (!out.stream) out.error = errno;
    };
    if (target.empty()) {
        openDirectly();
        return out;
    }
    // A file that could not be opened for writing in place is not replaced either.
    if (exists && access(target.c_str(), W_OK) != 0) {
        out.error = errno;
        return out;
    }

    const std::string pid = std::to_string(getpid());
    int fd = -1;
    std::string temp;
    for (int attempt = 0; attempt < 100 && fd < 0; ++attempt) {
        temp = tempName(target, ".tmp" + pid + (attempt == 0 ? std::string() : "_" + std::to_string(attempt)));
        fd = open(temp.c_str(), O_WRONLY | O_CREAT | O_EXCL, 0666);
        if (fd < 0 && errno != EEXIST) {
            // A writable file in a folder that takes no new file, or a path with no
            // room for a longer name, is written in place, as the only way left.
            if ((exists && errno == EACCES) || errno == ENAMETOOLONG)
                openDirectly();
            else
                out.error = errno;
            return out;
        }
    }
    if (fd < 0) {
        out.error = EEXIST;
        return out;
    }
    if (exists && fchmod(fd, existing.st_mode & 07777) != 0) {
        // The file is still written; only its permission bits differ.
    }
    out.stream = fdopen(fd, "w");
    if (!out.stream) {
        out.error = errno;
        close(fd);
        unlink(temp.c_str());
        return out;
    }
    out.finalPath = target;
    out.tempPath = temp;
    pendingTemps().push_back(temp);
    return out;
}

bool commitAtomicOutput(AtomicOutput& out) {
    if (!out.stream) {
        if (out.error == 0) out.error = EBADF;
        return false;
    }
    int error = std::ferror(out.stream) ? (errno != 0 ? errno : EIO) : 0;
    if (std::fclose(out.stream) != 0 && error == 0) error = errno != 0 ? errno : EIO;
    out.stream = nullptr;
    out.error = error;
    if (out.tempPath.empty()) return error == 0;
    if (error != 0) {
        unlink(out.tempPath.c_str());
        forget(out.tempPath);
        out.tempPath.clear();
        return false;
    }
    if (grouping) {
        auto same = std::find_if(held.begin(), held.end(),
                                 [&](const std::pair<std::string, std::string>& h) { return h.second == out.finalPath; });
        if (same != held.end()) {
            unlink(same->first.c_str());
            forget(same->first);
            same->first = out.tempPath;
        } else {
            held.emplace_back(out.tempPath, out.finalPath);
        }
        out.tempPath.clear();
        return true;
    }
    const bool ok = placeFile(out.tempPath, out.finalPath);
    if (!ok) out.error = errno;
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

void beginOutputGroup() { grouping = true; }

bool commitOutputGroup(std::string& failedPath) {
    grouping = false;
    std::vector<std::pair<std::string, std::string>> files;
    files.swap(held);
    for (const auto& file : files) {
        if (!placeFile(file.first, file.second)) {
            const int saved = errno;
            failedPath = file.second;
            errno = saved;
            return false;
        }
    }
    return true;
}

void outputWriteFailure(const std::string& path, int error) {
    std::fflush(stdout);
    std::fprintf(stderr, "%s: cannot be written: %s\n", path.c_str(),
                 error != 0 ? std::strerror(error) : "unknown reason");
    std::exit(1);
}

AtomicOutput openOutputOrExit(const std::string& path) {
    AtomicOutput out = openAtomicOutput(path);
    if (!out.stream) outputWriteFailure(path, out.error);
    return out;
}

void commitOutputOrExit(AtomicOutput& out) {
    if (!commitAtomicOutput(out)) outputWriteFailure(out.name, out.error);
}

void removePendingOutputs() {
    if (!pending) return;
    for (const std::string& temp : *pending) unlink(temp.c_str());
}
