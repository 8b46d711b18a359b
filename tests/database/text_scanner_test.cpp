// The Bookshelf scanner at the end of a file: a last line or token without a
// line end after it is read whole and in place (the fuzzer found it read from
// stale offsets once the buffer had been compacted).
#include <gtest/gtest.h>

#include <string>

#include "database/bookshelf/TextScanner.h"
#include "tests/common/RunCommand.h"

TEST(TextScanner, LastLineAndTokenWithoutLineEnd) {
    const std::string path = scratchPath("no_final_newline.txt");
    writeTextFile(path, "first line\nlast line");
    {
        TextScanner sc(path.c_str());
        std::string_view l;
        ASSERT_TRUE(sc.restOfLine(l));
        EXPECT_EQ(l, "first line");
        ASSERT_TRUE(sc.restOfLine(l));
        EXPECT_EQ(l, "last line");
        EXPECT_EQ(sc.line(), 2);
        EXPECT_FALSE(sc.restOfLine(l));
    }
    {
        TextScanner sc(path.c_str());
        std::string_view t;
        for (const char* want : {"first", "line", "last", "line"}) {
            ASSERT_TRUE(sc.token(t));
            EXPECT_EQ(t, want);
        }
        EXPECT_FALSE(sc.token(t));
    }
}
