// The SHA-256 against the standard's vectors, on the processor's SHA
// extensions and without them.
#include "platform/sha256.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <string>

namespace {

std::string Hex(const TSha256Digest& digest)
{
    std::string text;
    for (uint8_t byte : digest) {
        text += "0123456789abcdef"[byte >> 4];
        text += "0123456789abcdef"[byte & 15];
    }
    return text;
}

TSha256Digest Digest(const std::string& message, size_t piece, bool extensions)
{
    TSha256 hash(extensions);
    for (size_t at = 0; at < message.size(); at += piece)
        hash.Update(message.data() + at, std::min(piece, message.size() - at));
    return hash.Finish();
}

TEST(Sha256Test, MeetsTheStandardVectorsWithAndWithoutTheProcessorsExtensions)
{
    for (bool extensions : {false, true}) {
        SCOPED_TRACE(extensions ? "extensions" : "plain");
        EXPECT_EQ("e3b0c44298fc1c149afbf4c8996fb92427ae41e4649b934ca495991b7852b855", Hex(Digest("", 1, extensions)));
        EXPECT_EQ("ba7816bf8f01cfea414140de5dae2223b00361a396177a9cb410ff61f20015ad",
                  Hex(Digest("abc", 1, extensions)));
        EXPECT_EQ("248d6a61d20638b8e5c026930c3e6039a33ce45964ff2167f6ecedd419db06c1",
                  Hex(Digest("abcdbcdecdefdefgefghfghighijhijkijkljklmklmnlmnomnopnopq", 7, extensions)));
        // Two blocks of padding, and a million a's in pieces that do not line
        // up with the 64-byte blocks.
        EXPECT_EQ("cf5b16a778af8380036ce59e7b0492370b249b11e8f07a51afac45037afee9d1",
                  Hex(Digest("abcdefghbcdefghicdefghijdefghijkefghijklfghijklmghijklmnhijklmnoijklmnopjklmnopqklmnopqrlmnopqrsmnopqrstnopqrstu",
                             64, extensions)));
        EXPECT_EQ("cdc76e5c9914fb9281a1c7e284d73e67f1809a48a497200e046d39ccc7112cd0",
                  Hex(Digest(std::string(1000000, 'a'), 65537, extensions)));
    }
    if (!TSha256::HasExtensions())
        GTEST_SKIP() << "this processor has no SHA extensions: the plain code ran twice";
}

#if defined(__i386__)
// Calls fn(arg) with the stack 4 bytes off the 16 the compiler keeps:
// 32-bit Windows promises 4, and a window procedure or a thread may start
// on any multiple of it.
__attribute__((noinline)) void CallOffAligned(void (*fn)(void*), void* arg)
{
    asm volatile("mov %%esp, %%esi\n\t"
                 "and $-16, %%esp\n\t"
                 "sub $8, %%esp\n\t"
                 "push %1\n\t"
                 "call *%0\n\t"
                 "mov %%esi, %%esp\n\t"
                 :
                 : "r"(fn), "r"(arg)
                 : "esi", "eax", "ecx", "edx", "memory", "cc");
}

TEST(Sha256Test, ExtensionsRunOnAStackOnlyFourByteAligned)
{
    if (!TSha256::HasExtensions())
        GTEST_SKIP() << "this processor has no SHA extensions";
    TSha256Digest digest{};
    CallOffAligned([](void* out) { *static_cast<TSha256Digest*>(out) = Digest("abc", 1, true); }, &digest);
    EXPECT_EQ("ba7816bf8f01cfea414140de5dae2223b00361a396177a9cb410ff61f20015ad", Hex(digest));
}
#endif

} // namespace
