// twopin_check: checks a two-pin dump, independently of the router.
//
// usage: twopin_check DUMP
//
// The dump holds "num net N", then per net "net ID C P", C lines "A - B" (pin indices of
// one connection) and P lines "pinK X Y LAYER", and "!". Every net's connections must
// form a spanning tree over its P pins (pins at one position included): exactly P - 1
// connections (none for P < 2), every index in 0..P-1, no connection joining a pin to
// itself, all pins joined; pin lines numbered 0..P-1 in order.
//
// Output: "label: value" lines (nets, pins, connections, bad nets, tree length: the summed
// Manhattan length of the connections between their pins' positions in DBU), then
//   twopin_check: PASS|FAIL nets=N bad_nets=B
// The first few faults are described on standard error.
// Exit status: 0 all nets are spanning trees, 1 some net is not, 2 unreadable or malformed dump.

#include <cstdio>
#include <cstdlib>
#include <fstream>
#include <numeric>
#include <sstream>
#include <string>
#include <vector>

namespace {

[[noreturn]] void fail(const std::string& file, long line, const std::string& why) {
    fprintf(stderr, "twopin_check: %s:%ld: %s\n", file.c_str(), line, why.c_str());
    exit(2);
}

int findRoot(std::vector<int>& parent, int a) {
    while (parent[a] != a) {
        parent[a] = parent[parent[a]];
        a = parent[a];
    }
    return a;
}

}  // namespace

int main(int argc, char** argv) {
    if (argc != 2) {
        fprintf(stderr, "usage: twopin_check DUMP\n");
        return 2;
    }
    const std::string file = argv[1];
    std::ifstream in(file);
    if (!in) fail(file, 0, "cannot open file");
    std::string text;
    long lineNo = 0;
    auto nextLine = [&](std::istringstream& ss) {
        if (!std::getline(in, text)) fail(file, lineNo, "unexpected end of file");
        ++lineNo;
        ss.clear();
        ss.str(text);
    };
    std::istringstream ss;
    nextLine(ss);
    std::string w1, w2;
    long long declared = -1;
    if (!(ss >> w1 >> w2 >> declared) || w1 != "num" || w2 != "net" || declared < 0)
        fail(file, lineNo, "expected 'num net N'");

    long long nets = 0, pins = 0, conns = 0, bad = 0, length = 0;
    int described = 0;
    auto report = [&](long long id, const std::string& why) {
        ++bad;
        if (described++ < 20) fprintf(stderr, "net %lld: %s\n", id, why.c_str());
    };
    std::vector<std::pair<int, int>> edges;
    std::vector<long long> px, py;
    std::vector<int> parent;
    for (long long n = 0; n < declared; ++n) {
        nextLine(ss);
        std::string kw;
        long long id = 0, c = 0, p = 0;
        if (!(ss >> kw >> id >> c >> p) || kw != "net" || c < 0 || p < 0) fail(file, lineNo, "expected 'net ID C P'");
        edges.clear();
        bool rangeFault = false;
        for (long long i = 0; i < c; ++i) {
            nextLine(ss);
            long long a = 0, b = 0;
            std::string dash;
            if (!(ss >> a >> dash >> b) || dash != "-") fail(file, lineNo, "expected 'A - B'");
            if (a < 0 || b < 0 || a >= p || b >= p) {
                rangeFault = true;
                continue;
            }
            edges.emplace_back(static_cast<int>(a), static_cast<int>(b));
        }
        px.assign(static_cast<size_t>(p), 0);
        py.assign(static_cast<size_t>(p), 0);
        for (long long k = 0; k < p; ++k) {
            nextLine(ss);
            std::string name;
            long long x = 0, y = 0, layer = 0;
            if (!(ss >> name >> x >> y >> layer) || name != "pin" + std::to_string(k))
                fail(file, lineNo, "expected 'pin" + std::to_string(k) + " X Y LAYER'");
            px[static_cast<size_t>(k)] = x;
            py[static_cast<size_t>(k)] = y;
        }
        nextLine(ss);
        std::string bang;
        if (!(ss >> bang) || bang != "!") fail(file, lineNo, "expected '!'");
        ++nets;
        pins += p;
        conns += c;

        if (rangeFault) {
            report(id, "a connection names a pin outside 0.." + std::to_string(p - 1));
            continue;
        }
        const long long want = p < 2 ? 0 : p - 1;
        if (c != want) {
            report(id, std::to_string(c) + " connections for " + std::to_string(p) + " pins");
            continue;
        }
        parent.resize(static_cast<size_t>(p));
        std::iota(parent.begin(), parent.end(), 0);
        bool cycle = false;
        for (const auto& e : edges) {
            length += std::llabs(px[e.first] - px[e.second]) + std::llabs(py[e.first] - py[e.second]);
            const int ra = findRoot(parent, e.first), rb = findRoot(parent, e.second);
            if (ra == rb) cycle = true;
            parent[ra] = rb;
        }
        if (cycle) report(id, "the connections close a cycle (so some pin is left out)");
    }
    printf("nets: %lld\npins: %lld\nconnections: %lld\nbad nets: %lld\ntree length: %lld\n", nets, pins, conns, bad,
           length);
    printf("twopin_check: %s nets=%lld bad_nets=%lld\n", bad == 0 ? "PASS" : "FAIL", nets, bad);
    return bad == 0 ? 0 : 1;
}
