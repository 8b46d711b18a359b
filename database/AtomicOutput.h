#pragma once
// Output files that are whole or absent. A file is written under a temporary
// name in the folder of its final name and renamed into place only once it is
// complete, closed and every write to it has succeeded. A run that ends early
// through exit() removes its temporary files on the way out; a run killed by a
// signal may leave one behind, never a partial file under the final name.
//
// Inside an output group (a whole run) a committed file is held under its
// temporary name; the group's commit puts them all in place, one after the
// other, so that a run that fails before then leaves none of its outputs
// behind. A later commit of the same final name within the group replaces the
// one held. While a commit puts files in place it holds an exclusive lock on
// each of their folders (another run's commit into them waits), and the
// signals that would end the run wait until the last file is in place; only a
// kill that cannot be held back (SIGKILL) or a power loss can leave a mixed set.
//
// A final name that exists and is not a regular file (a device such as
// /dev/null, a pipe, a folder) is opened directly: renaming over it would
// replace it. A symbolic link to a regular file is followed, as opening it
// for writing would; an existing file keeps its permission bits. A writable
// file that cannot be replaced by a rename (a folder that takes no new file,
// a path with no room for the temporary name's suffix, or a sticky folder
// where the file belongs to someone else) is written over in place at the
// commit, after every file of the commit is complete; its copy waits in its
// folder or, where that takes none, in /tmp. Before any final file changes,
// the room of every such file is reserved, so that a full device leaves the
// earlier files whole; a kill while one is written over can leave it
// part-written. The temporary name is shortened where the final name's length
// leaves no room for its suffix.

#include <cstdio>
#include <string>

struct AtomicOutput {
    std::FILE* stream = nullptr;  // null when the file could not be opened (`error` says why)
    std::string name;             // the name the caller gave
    std::string finalPath;        // the name the file gets once complete
    std::string tempPath;         // empty when finalPath is written directly
    bool inPlace = false;         // tempPath lies in /tmp and is written over finalPath on commit
    int error = 0;                // errno of the first failure, 0 while none
};

// Opens a file for writing that will become `path` on commit.
AtomicOutput openAtomicOutput(const std::string& path);

// Closes the stream and, when every write succeeded, renames the file into
// place (inside an output group: holds it for the group's commit). Returns
// false on any failure, after removing the temporary file.
bool commitAtomicOutput(AtomicOutput& out);

// Closes the stream and removes the temporary file; the final name is untouched.
void discardAtomicOutput(AtomicOutput& out);

// Starts holding committed files back until commitOutputGroup().
void beginOutputGroup();

// Puts every held file in place, in the order of their commits, and ends the
// group. On failure `failedPath` names the file and errno says why; files not
// yet put in place keep their earlier contents.
bool commitOutputGroup(std::string& failedPath);

// Ends the run with status 1 and "<path>: cannot be written: <reason>" on
// standard error; `error` is an errno value (0 for an unknown reason).
[[noreturn]] void outputWriteFailure(const std::string& path, int error);

// Opens `path` or ends the run through outputWriteFailure.
AtomicOutput openOutputOrExit(const std::string& path);

// Commits `out` or ends the run through outputWriteFailure.
void commitOutputOrExit(AtomicOutput& out);

// Removes every temporary file not yet put in place. Allocates nothing, so the
// exit paths (out-of-memory included) may call it.
void removePendingOutputs();
