// FLUTE table reader: every pair of table files is loaded or refused, and
// loaded tables give trees. Input: a digit naming the top degree (4 to 9; the
// files must end after that degree's section), the "POWV9.dat" text, the
// separator, then the "POST9.dat" bytes.
#include "tests/fuzz/FuzzHarness.h"

#include <cstdio>
#include <memory>
#include <vector>

#include "decomposition/flute.h"

namespace {

struct Closer {
    void operator()(FILE* f) const { std::fclose(f); }
};
using File = std::unique_ptr<FILE, Closer>;

File memoryFile(std::string& s) { return File(fmemopen(s.empty() ? nullptr : &s[0], s.size(), "rb")); }

// Every node of the tree reaches one root within 2d - 2 steps.
void expectTree(const Tree& t, int d) {
    const int n = 2 * d - 2;
    FUZZ_EXPECT(t.degree == d);
    int roots = 0;
    for (int i = 0; i < n; ++i) {
        FUZZ_EXPECT(t.nodes[i].neighbour >= 0 && t.nodes[i].neighbour < n);
        if (t.nodes[i].neighbour == i) ++roots;
    }
    FUZZ_EXPECT(roots == 1);
    for (int i = 0; i < n; ++i) {
        int c = i, steps = 0;
        while (t.nodes[c].neighbour != c) {
            FUZZ_EXPECT(++steps <= n);
            c = t.nodes[c].neighbour;
        }
    }
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    if (size < 1) return 0;
    const int top = data[0] >= '4' && data[0] <= '9' ? data[0] - '0' : 6;
    std::string powv, post;
    if (!fuzz::split(fuzz::text(data + 1, size - 1), powv, post)) return 0;
    File a = memoryFile(powv), b = memoryFile(post);
    if (!a || !b) return 0;
    fluteTableRefusal = fuzz::unwind;
    try {
        loadLUT(a.get(), b.get(), top);
    } catch (const fuzz::Refused&) {
        return 0;
    }
    // Trees of every loaded degree, and above 9 the split-and-merge path, on
    // pins spread over a small grid so that ties and shared coordinates occur.
    const int largest = top == FLUTE_D ? 40 : top;
    unsigned seed = 12345;
    std::vector<int> x(largest), y(largest);
    for (int d = 2; d <= largest; ++d) {
        for (int rep = 0; rep < 3; ++rep) {
            for (int i = 0; i < d; ++i) {
                seed = seed * 1103515245u + 12345u;
                x[i] = static_cast<int>((seed >> 8) % 17);
                seed = seed * 1103515245u + 12345u;
                y[i] = static_cast<int>((seed >> 8) % 17);
            }
            Tree t = flute(d, x.data(), y.data(), 3);
            expectTree(t, d);
            FUZZ_EXPECT(t.length >= 0);
            delete[] t.nodes;
        }
    }
    return 0;
}
