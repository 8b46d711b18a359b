#include "app/OutputFiles.h"

#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cerrno>
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

}  // namespace

void checkOutputFiles(const std::vector<std::string>& outputs, const std::vector<std::string>& inputs) {
    for (const std::string& out : outputs) {
        struct stat so;
        if (stat(out.c_str(), &so) == 0) {
            for (const std::string& in : inputs) {
                struct stat si;
                if (!in.empty() && stat(in.c_str(), &si) == 0 && si.st_dev == so.st_dev && si.st_ino == so.st_ino)
                    refuse(out, "this output would overwrite the input file " + in);
            }
            if (S_ISDIR(so.st_mode)) refuse(out, "cannot be written: it is a folder");
            const int fd = open(out.c_str(), O_WRONLY);
            if (fd < 0) refuse(out, std::string("cannot be written: ") + strerror(errno));
            close(fd);
        } else {
            const int fd = open(out.c_str(), O_WRONLY | O_CREAT | O_EXCL, 0644);
            if (fd < 0) refuse(out, std::string("cannot be created: ") + strerror(errno));
            close(fd);
            unlink(out.c_str());
        }
    }
}

void commitRunOutputs() {
    std::string failed;
    if (!commitOutputGroup(failed)) outputWriteFailure(failed, errno);
}
