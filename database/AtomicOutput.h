#pragma once
// Output files that are whole or absent. A file is written under a temporary
// name in the folder of its final name and renamed into place only once it is
// complete, closed and every write to it has succeeded. A run that ends early
// through exit() removes its temporary files on the way out; a run killed by a
// signal may leave one behind, never a partial file under the final name.
//
// A final name that exists and is not a regular file (a device such as
// /dev/null, a pipe, a folder) is opened directly: renaming over it would
// replace it. A symbolic link to a regular file is followed, as opening it
// for writing would; an existing file keeps its permission bits. A writable
// file in a folder where no new file can be made is written in place.

#include <cstdio>
#include <string>

struct AtomicOutput {
    std::FILE* stream = nullptr;  // null when the file could not be opened (errno says why)
    std::string finalPath;        // the name the file gets once complete
    std::string tempPath;         // empty when finalPath is written directly
};

// Opens a file for writing that will become `path` on commit.
AtomicOutput openAtomicOutput(const std::string& path);

// Closes the stream and, when every write succeeded, renames the file into
// place. Returns false on any failure, after removing the temporary file.
bool commitAtomicOutput(AtomicOutput& out);

// Closes the stream and removes the temporary file; the final name is untouched.
void discardAtomicOutput(AtomicOutput& out);

// Removes every temporary file not yet committed. Allocates nothing, so the
// exit paths (out-of-memory included) may call it.
void removePendingOutputs();
