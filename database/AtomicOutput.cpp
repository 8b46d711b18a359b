#include "database/AtomicOutput.h"

#include <fcntl.h>
#include <signal.h>
#include <sys/file.h>
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

// A complete file waiting to be put in place.
struct Held {
    std::string temp;
    std::string final;
    bool inPlace;  // written over the final name rather than renamed onto it
};

// Inside an output group: the committed files waiting for the group's commit.
bool grouping = false;
std::vector<Held> held;

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

// The folder of `path`: "." for a bare name.
std::string folderOf(const std::string& path) {
    const size_t slash = path.rfind('/');
    if (slash == std::string::npos) return ".";
    return slash == 0 ? std::string("/") : path.substr(0, slash);
}

// Whether renaming over `final` will be refused: an existing file in a sticky
// folder, where neither the file nor the folder is ours and we are not root.
bool renameWillBeRefused(const std::string& final) {
    struct stat file, folder;
    if (lstat(final.c_str(), &file) != 0 || stat(folderOf(final).c_str(), &folder) != 0) return false;
    const uid_t me = geteuid();
    return (folder.st_mode & S_ISVTX) != 0 && me != 0 && file.st_uid != me && folder.st_uid != me;
}

// A file that is written over its final name: the final file, opened without
// truncating, and the room its new bytes need.
struct Overwrite {
    int fd = -1;
    off_t oldSize = 0;
    bool created = false;  // the final name did not exist before
};

// Gives up an overwrite not yet made: the final file gets back its old length
// (or goes, when it was made here) and is closed.
void undoOverwrite(const Held& file, Overwrite& over) {
    if (over.fd < 0) return;
    struct stat now;
    if (over.created) {
        unlink(file.final.c_str());
    } else if (fstat(over.fd, &now) == 0 && now.st_size != over.oldSize && ftruncate(over.fd, over.oldSize) != 0) {
        // The old bytes are whole; only zeros past them stay.
    }
    close(over.fd);
    over.fd = -1;
}

// Opens the final file of an in-place write and reserves the room for the new
// bytes, so that a full device fails here, before anything is overwritten.
// Leaves errno set on failure, with nothing changed.
bool reserveOverwrite(const Held& file, Overwrite& over) {
    struct stat temp, final;
    if (stat(file.temp.c_str(), &temp) != 0) return false;
    over.fd = open(file.final.c_str(), O_RDWR | O_CLOEXEC);
    if (over.fd < 0 && errno == EACCES) over.fd = open(file.final.c_str(), O_WRONLY | O_CLOEXEC);
    if (over.fd < 0 && errno == ENOENT) {
        over.fd = open(file.final.c_str(), O_RDWR | O_CREAT | O_EXCL | O_CLOEXEC, 0666);
        over.created = over.fd >= 0;
    }
    if (over.fd < 0) return false;
    int error = fstat(over.fd, &final) == 0 ? 0 : errno;
    if (error == 0) over.oldSize = final.st_size;
    if (error == 0 && temp.st_size > 0) {
        // The system call itself: the library's fallback for a file system that
        // cannot reserve would read the file, which may be open for writing only.
        while ((error = fallocate(over.fd, 0, 0, temp.st_size) == 0 ? 0 : errno) == EINTR) {
        }
        // A file system that cannot reserve room is written without it.
        if (error == EOPNOTSUPP || error == ENOSYS || error == EINVAL) error = 0;
    }
    if (error != 0) {
        undoOverwrite(file, over);
        errno = error;
        return false;
    }
    return true;
}

// Writes the complete temporary file over the final one, opened and reserved
// by reserveOverwrite, and cuts it to its new length. Leaves errno set on failure.
bool overwrite(const Held& file, Overwrite& over) {
    const int in = open(file.temp.c_str(), O_RDONLY | O_CLOEXEC);
    bool ok = in >= 0 && lseek(over.fd, 0, SEEK_SET) == 0;
    off_t length = 0;
    char buffer[1 << 16];
    while (ok) {
        const ssize_t got = read(in, buffer, sizeof buffer);
        if (got == 0) break;
        if (got < 0) {
            if (errno == EINTR) continue;
            ok = false;
            break;
        }
        for (ssize_t done = 0; done < got && ok;) {
            const ssize_t put = write(over.fd, buffer + done, static_cast<size_t>(got - done));
            if (put < 0 && errno == EINTR) continue;
            if (put <= 0) {
                if (put == 0) errno = EIO;
                ok = false;
            } else {
                done += put;
                length += put;
            }
        }
    }
    if (ok && ftruncate(over.fd, length) != 0) ok = false;
    int saved = errno;
    if (in >= 0) close(in);
    if (close(over.fd) != 0 && ok) {
        ok = false;
        saved = errno;
    }
    over.fd = -1;
    errno = saved;
    return ok;
}

// The signals that end a process by default and can be held back.
sigset_t terminatingSignals() {
    sigset_t set;
    sigemptyset(&set);
    for (int s : {SIGHUP, SIGINT, SIGQUIT, SIGABRT, SIGTERM, SIGUSR1, SIGUSR2, SIGALRM, SIGPIPE, SIGXCPU, SIGXFSZ,
                  SIGVTALRM, SIGPROF, SIGIO})
        sigaddset(&set, s);
#ifdef SIGPWR
    sigaddset(&set, SIGPWR);
#endif
#ifdef SIGSTKFLT
    sigaddset(&set, SIGSTKFLT);
#endif
#ifdef SIGRTMIN
    for (int s = SIGRTMIN; s <= SIGRTMAX; ++s) sigaddset(&set, s);
#endif
    return set;
}

// Exclusive locks on the folders of the final names, for as long as the object
// lives: another run putting files in the same folders waits until all of ours
// are in place. The folders are locked in (device, inode) order, so that two
// runs never wait on each other crosswise. A folder that cannot be opened is
// not locked.
class FolderLocks {
public:
    explicit FolderLocks(const std::vector<Held>& files) {
        std::vector<std::pair<std::pair<dev_t, ino_t>, int>> folders;
        std::vector<std::string> names;
        for (const Held& file : files) {
            const std::string name = folderOf(file.final);
            if (std::find(names.begin(), names.end(), name) != names.end()) continue;
            names.push_back(name);
            const int fd = open(name.c_str(), O_RDONLY | O_DIRECTORY | O_CLOEXEC);
            if (fd < 0) continue;
            struct stat st;
            const bool known = fstat(fd, &st) == 0;
            const bool seen = known && std::any_of(folders.begin(), folders.end(), [&](const auto& f) {
                                  return f.first == std::make_pair(st.st_dev, st.st_ino);
                              });
            if (!known || seen) {
                close(fd);
                continue;
            }
            folders.emplace_back(std::make_pair(st.st_dev, st.st_ino), fd);
        }
        std::sort(folders.begin(), folders.end());
        for (const auto& folder : folders) {
            while (flock(folder.second, LOCK_EX) != 0 && errno == EINTR) {
            }
            fds_.push_back(folder.second);
        }
    }
    ~FolderLocks() {
        for (int fd : fds_) close(fd);
    }
    FolderLocks(const FolderLocks&) = delete;
    FolderLocks& operator=(const FolderLocks&) = delete;

private:
    std::vector<int> fds_;
};

// Puts complete files in place, in order, with their folders locked and the
// terminating signals held back until the last one is in place. First every
// in-place file gets its room, so that a full device leaves every final file
// as it was; then the others are renamed and the in-place ones written over.
// Leaves errno set on failure, and no temporary file of `files` behind.
bool placeLocked(std::vector<Held>& files, std::string& failedPath) {
    std::vector<Overwrite> over(files.size());
    size_t at = 0;
    size_t left = 0;  // the first file whose temporary file is still there
    bool ok = true;
    for (; at < files.size() && ok; ++at) {
        Held& file = files[at];
        if (!file.inPlace && renameWillBeRefused(file.final)) file.inPlace = true;
        if (file.inPlace) ok = reserveOverwrite(file, over[at]);
    }
    for (at = ok ? 0 : at; at < files.size() && ok; left = ++at) {
        Held& file = files[at];
        bool renamed = false;
        if (file.inPlace) {
            ok = overwrite(file, over[at]);
        } else {
            renamed = std::rename(file.temp.c_str(), file.final.c_str()) == 0;
            ok = renamed;
            // A refusal not foreseen: the file is written in place after all.
            if (!renamed && (errno == EPERM || errno == EACCES || errno == EBUSY))
                ok = reserveOverwrite(file, over[at]) && overwrite(file, over[at]);
        }
        const int saved = errno;
        if (!renamed) unlink(file.temp.c_str());
        forget(file.temp);
        errno = saved;
    }
    if (ok) return true;
    const int saved = errno;
    failedPath = files[at - 1].final;
    for (size_t k = left; k < files.size(); ++k) {
        undoOverwrite(files[k], over[k]);
        unlink(files[k].temp.c_str());
        forget(files[k].temp);
    }
    errno = saved;
    return false;
}

bool placeFiles(std::vector<Held>& files, std::string& failedPath) {
    if (files.empty()) return true;
    FolderLocks locks(files);
    const sigset_t terminating = terminatingSignals();
    sigset_t before;
    sigprocmask(SIG_BLOCK, &terminating, &before);
    const bool ok = placeLocked(files, failedPath);
    const int saved = errno;
    // A signal that came meanwhile acts now, on a whole set.
    sigprocmask(SIG_SETMASK, &before, nullptr);
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
        if (fd >= 0 || errno == EEXIST) continue;
        // A writable file in a folder that takes no new file, or a path with no
        // room for a longer name, is written over in place at the commit; its
        // copy waits in the system's temporary folder until then.
        const int refused = errno;
        if (!(exists && refused == EACCES) && refused != ENAMETOOLONG) {
            out.error = refused;
            return out;
        }
        if (!exists) {
            const size_t slash = target.rfind('/');
            const size_t base = slash == std::string::npos ? target.size() : target.size() - slash - 1;
            struct stat folder;
            if (target.size() >= PATH_MAX || base > NAME_MAX) {
                out.error = ENAMETOOLONG;
                return out;
            }
            if (stat(folderOf(target).c_str(), &folder) != 0) {
                out.error = errno;
                return out;
            }
        }
        temp = "/tmp/tarvex" + pid + "_XXXXXX";
        fd = mkstemp(&temp[0]);
        if (fd < 0) {
            out.error = errno;
            return out;
        }
        out.inPlace = true;
    }
    if (fd < 0) {
        out.error = EEXIST;
        return out;
    }
    if (exists && !out.inPlace && fchmod(fd, existing.st_mode & 07777) != 0) {
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
    Held file{out.tempPath, out.finalPath, out.inPlace};
    out.tempPath.clear();
    if (grouping) {
        auto same = std::find_if(held.begin(), held.end(), [&](const Held& h) { return h.final == file.final; });
        if (same != held.end()) {
            unlink(same->temp.c_str());
            forget(same->temp);
            *same = file;
        } else {
            held.push_back(file);
        }
        return true;
    }
    std::vector<Held> files{file};
    std::string failed;
    const bool ok = placeFiles(files, failed);
    if (!ok) out.error = errno;
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
    std::vector<Held> files;
    files.swap(held);
    return placeFiles(files, failedPath);
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
