// The independent two-pin dump checker.

#include <gtest/gtest.h>

#include "tests/tools/tool_runner.h"

namespace {

class TwoPinCheck : public tooltest::ScratchTest {
protected:
    CommandResult check(const std::string& dump) {
        writeTextFile(dir + "/dump", dump);
        return run("twopin_check", "'" + dir + "/dump'");
    }
};

TEST_F(TwoPinCheck, AcceptsSpanningTreesAndFindsEachFault) {
    const std::string pins3 = "pin0 0 0 0\npin1 10 0 0\npin2 10 0 1\n";
    // Coincident pins 1 and 2, one pin-less net and a one-pin net.
    CommandResult r = check("num net 3\nnet 0 2 3\n0 - 1\n1 - 2\n" + pins3 + "!\nnet 1 0 0\n!\nnet 2 0 1\npin0 5 5 0\n!\n");
    EXPECT_EQ(r.status, 0) << r.out << r.err;
    auto v = parseLabelValues(r.out);
    EXPECT_EQ(v["bad nets"], 0);
    EXPECT_EQ(v["tree length"], 10);
    EXPECT_NE(r.out.find("twopin_check: PASS nets=3 bad_nets=0"), std::string::npos);

    // A pin left out (too few connections), a cycle, an index out of range.
    r = check("num net 3\nnet 0 1 3\n0 - 1\n" + pins3 + "!\nnet 1 2 3\n0 - 1\n1 - 0\n" + pins3 +
                       "!\nnet 2 2 3\n0 - 1\n1 - 3\n" + pins3 + "!\n");
    EXPECT_EQ(r.status, 1);
    EXPECT_EQ(parseLabelValues(r.out)["bad nets"], 3);

    // Malformed: a missing "!" and a wrong pin line.
    r = check("num net 1\nnet 0 1 2\n0 - 1\npin0 0 0 0\npin1 1 1 0\n");
    EXPECT_EQ(r.status, 2);
    r = check("num net 1\nnet 0 1 2\n0 - 1\npin0 0 0 0\npin7 1 1 0\n!\n");
    EXPECT_EQ(r.status, 2);
    EXPECT_NE(r.err.find(":5:"), std::string::npos) << r.err;
}

}  // namespace
