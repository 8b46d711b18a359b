// Loading of the FLUTE lookup tables "POWV9.dat" and "POST9.dat".
//
// Every table character stands for a value: '0'..'9' for 0..9, any byte from
// 'A' upward for its code minus 55, anything else for 0. Bytes are taken as
// unsigned, so values above 72 (codes above 127) read correctly. The files
// are checked while they are read: a value that would index past a table
// array, a solution whose links do not form a tree, or a file that goes on
// after its last degree section ends the run with a one-line message naming
// the file and the position.
#include <cstdarg>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <memory>
#include <vector>

#include <unistd.h>

#include "database/FolderRefusal.h"
#include "decomposition/flute.h"

RefusalHandler fluteTableRefusal = nullptr;

int numgrp[FLUTE_D + 1] = {0, 0, 0, 0, 6, 30, 180, 1260, 10080, 90720};
int numsoln[FLUTE_D + 1][FLUTE_MGROUP];
FluteSolution* LUT[FLUTE_D + 1][FLUTE_MGROUP];

namespace {

// Solution arrays of the loaded tables; released when the tables are loaded again.
std::vector<std::unique_ptr<FluteSolution[]>>& loadedArrays() {
    static std::vector<std::unique_ptr<FluteSolution[]>> arrays;
    return arrays;
}

int charValue(int c) {
    if (c >= '0' && c <= '9') return c - '0';
    if (c >= 'A') return c - 55;
    return 0;
}

class TableReader {
public:
    TableReader(FILE* powv, FILE* post) : powv_(powv), post_(post) {}

    void readDegree(int expected) {
        int dp = 0, ds = 0;
        if (fscanf(powv_, "d=%d\n", &dp) != 1) failPowv("expected the degree line \"d=%d\"", expected);
        if (dp != expected) failPowv("degree %d stands where the section of degree %d belongs", dp, expected);
        ++line_;
        if (fscanf(post_, "d=%d\n", &ds) != 1) failPost("expected the degree line \"d=%d\"", expected);
        if (ds != dp) failPost("degree %d does not match degree %d of POWV9.dat", ds, dp);
        d_ = dp;
        for (int k = 0; k < numgrp[d_]; ++k) readGroup(k);
    }

private:
    [[noreturn]] void failPowv(const char* fmt, ...) {
        va_list ap;
        va_start(ap, fmt);
        fprintf(stderr, "POWV9.dat line %ld: ", line_);
        vfprintf(stderr, fmt, ap);
        fputc('\n', stderr);
        va_end(ap);
        endRefused(fluteTableRefusal);
    }
    [[noreturn]] void failPost(const char* fmt, ...) {
        va_list ap;
        va_start(ap, fmt);
        fprintf(stderr, "POST9.dat byte %ld: ", ftell(post_));
        vfprintf(stderr, fmt, ap);
        fputc('\n', stderr);
        va_end(ap);
        endRefused(fluteTableRefusal);
    }

    int postByte() {
        const int c = fgetc(post_);
        if (c == EOF) failPost("the file ends inside degree %d", d_);
        return c;
    }

    bool validGap(int g) const { return (g >= 1 && g <= d_ - 3) || (g >= d_ && g <= 2 * d_ - 4); }

    void readGroup(int k) {
        const int c = fgetc(powv_);
        if (c == EOF) failPowv("the file ends before group %d of degree %d", k, d_);
        const int ns = charValue(c);
        if (ns == 0) {
            int other = -1;
            if (fscanf(powv_, "%d\n", &other) != 1) failPowv("group %d of degree %d: missing shared-group index", k, d_);
            if (other < 0 || other >= k)
                failPowv("group %d of degree %d: shared-group index %d is not an earlier group", k, d_, other);
            ++line_;
            numsoln[d_][k] = numsoln[d_][other];
            LUT[d_][k] = LUT[d_][other];
            return;
        }
        fgetc(powv_);  // the line end
        ++line_;
        std::unique_ptr<FluteSolution[]> arr(new FluteSolution[ns]());
        for (int j = 0; j < ns; ++j) readSolution(k, j, arr[j]);
        numsoln[d_][k] = ns;
        LUT[d_][k] = arr.get();
        loadedArrays().push_back(std::move(arr));
    }

    void readSolution(int k, int j, FluteSolution& sol) {
        char buf[32];
        if (!fgets(buf, sizeof buf, powv_)) failPowv("the file ends inside group %d of degree %d", k, d_);
        if (!strchr(buf, '\n') && !feof(powv_)) failPowv("solution line longer than 31 characters");
        const unsigned char* p = reinterpret_cast<const unsigned char*>(buf);
        auto next = [&p]() { return *p ? charValue(*p++) : 0; };
        sol.parent = static_cast<unsigned char>(next());
        if (j > 0 && sol.parent > j) failPowv("parent %d is not an earlier solution", sol.parent);
        int add = 0, sub = 0;
        for (int v = next(); v != 0; v = next()) {
            if (add + sub >= 10) failPowv("more than 10 list entries");
            if (!validGap(v)) failPowv("gap index %d is out of range for degree %d", v, d_);
            sol.seg[add++] = static_cast<unsigned char>(v);
        }
        sol.seg[add] = 0;
        for (int v = next(); v != 0; v = next()) {
            if (add + sub >= 10) failPowv("more than 10 list entries");
            if (!validGap(v)) failPowv("gap index %d is out of range for degree %d", v, d_);
            sol.seg[10 - sub++] = static_cast<unsigned char>(v);
        }
        sol.seg[10 - sub] = 0;
        ++line_;
        for (int i = 0; i < d_ - 2; ++i) {
            const int r = charValue(postByte());
            if ((r & 15) >= d_ || (r >> 4) >= d_) failPost("Steiner position %d is out of range for degree %d", r, d_);
            sol.steiner[i] = static_cast<unsigned char>(r);
        }
        for (int i = 0; i < d_ - 1; ++i) {
            const int b = postByte();
            const int hi = b >> 4, lo = b & 15;
            if (hi >= 2 * d_ - 2 || lo >= 2 * d_ - 2)
                failPost("neighbour index %d is out of range for degree %d", hi >= 2 * d_ - 2 ? hi : lo, d_);
            sol.neighbour[2 * i] = static_cast<unsigned char>(hi);
            sol.neighbour[2 * i + 1] = static_cast<unsigned char>(lo);
        }
        postByte();  // not used
        checkTree(sol);
    }

    // The links of a solution must form one tree over its 2d - 2 nodes: one
    // root (a Steiner point naming itself), every pin hanging from a Steiner
    // point (the merges of split nets rely on it), and every node reaching the
    // root within 2d - 2 steps. Anything else would send the tree walks of the
    // merges round a cycle.
    void checkTree(const FluteSolution& sol) {
        const int n = 2 * d_ - 2;
        int roots = 0;
        for (int i = 0; i < n; ++i) {
            const int to = sol.neighbour[i];
            if (to == i) {
                if (i < d_) failPost("pin %d of a degree-%d solution is its tree's root", i, d_);
                ++roots;
            } else if (to < d_) {
                failPost("node %d of a degree-%d solution is joined to pin %d; pins are leaves", i, d_, to);
            }
        }
        if (roots != 1) failPost("a degree-%d solution has %d roots; a tree has one", d_, roots);
        for (int i = 0; i < n; ++i) {
            int c = i, steps = 0;
            while (sol.neighbour[c] != c) {
                if (++steps > n) failPost("node %d of a degree-%d solution does not reach the root (a cycle)", i, d_);
                c = sol.neighbour[c];
            }
        }
    }

public:
    // Both files must end where their last degree section ends.
    void expectEnd() {
        if (fgetc(powv_) != EOF) failPowv("unexpected text after the last degree section");
        if (fgetc(post_) != EOF) failPost("unexpected bytes after the last degree section");
    }

private:
    FILE* powv_;
    FILE* post_;
    long line_ = 1;
    int d_ = 0;
};

}  // namespace

void loadLUT(FILE* powv, FILE* post, int topDegree) {
    memset(numsoln, 0, sizeof numsoln);
    memset(LUT, 0, sizeof LUT);
    loadedArrays().clear();
    TableReader reader(powv, post);
    for (int d = 4; d <= topDegree; ++d) reader.readDegree(d);
    reader.expectEnd();
}

namespace {

struct FileCloser {
    void operator()(FILE* f) const { fclose(f); }
};
using File = std::unique_ptr<FILE, FileCloser>;

// The table file, or the message of a missing table plus where it was looked
// for; a folder of that name is refused as every reader refuses one.
File openTable(const char* name) {
    refuseFolder(name, fluteTableRefusal);
    File f(fopen(name, "rb"));
    if (f) return f;
    printf("Error in opening %s\n", name);
    fflush(stdout);
    char here[4096];
    fprintf(stderr, "%s: not found in the working folder %s; the build unpacks the tables into %s\n", name,
            getcwd(here, sizeof here) ? here : ".", TARVEX_TABLE_DIR);
    endRefused(fluteTableRefusal);
}

}  // namespace

void readLUT() {
    File powv = openTable("POWV9.dat");
    File post = openTable("POST9.dat");
    loadLUT(powv.get(), post.get(), FLUTE_D);
}
