// The send-buffer block.
#include <gtest/gtest.h>

#include <string>

#include "net/WSockbuf.h"

namespace {

std::string Unread(const TBuffer& b) {
    int n = 0;
    const uint8_t* p = b.Peek(n);
    return p ? std::string(reinterpret_cast<const char*>(p), static_cast<size_t>(n)) : std::string();
}

TEST(TBufferTest, FillsUpWithoutWrapping) {
    TBuffer b(8);
    EXPECT_EQ(b.Write("abcdef", 6), 6);
    EXPECT_EQ(b.Write("ghijk", 5), 2);  // only what fits
    EXPECT_EQ(b.Write("x", 1), 0);      // full
    b.Remove(3);
    EXPECT_EQ(b.Write("x", 1), 0);  // the space taken is not reused until all is taken
    EXPECT_EQ(Unread(b), "defgh");
}

TEST(TBufferTest, TakingEverythingEmptiesTheBlockForReuse) {
    TBuffer b(4);
    b.Write("abcd", 4);
    b.Remove(10);  // more than there is
    int n = -1;
    EXPECT_EQ(b.Peek(n), nullptr);
    EXPECT_EQ(n, 0);
    EXPECT_EQ(b.Write("wxyz", 4), 4);
    EXPECT_EQ(Unread(b), "wxyz");
}

TEST(TBufferTest, DefaultSizeAndResizeKeepUnreadBytes) {
    EXPECT_EQ(TBuffer(0).BufSize(), 1514);
    EXPECT_EQ(TBuffer(-5).BufSize(), 1514);
    TBuffer b(10);
    b.Write("0123456789", 10);
    b.Remove(4);
    b.SetBufSize(3);  // smaller than what waits: nothing is lost
    EXPECT_EQ(Unread(b), "456789");
    b.SetBufSize(20);
    EXPECT_EQ(b.Write("ab", 2), 2);
    EXPECT_EQ(Unread(b), "456789ab");
}

}  // namespace
