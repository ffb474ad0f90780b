// The one way the tests check a failure: the exception a statement raises
// and its exact message. Portable, for every test build.
#pragma once

#include "platform/errors.h"

#include <string>

namespace testing_support {

// The message of the installer exception that f raises, or "<no exception>".
template <typename F>
std::string MessageOf(F&& f)
{
    try {
        f();
    } catch (const Exception& e) {
        return e.Message();
    }
    return "<no exception>";
}

} // namespace testing_support

// Expects the statement to raise an installer exception with exactly that message.
#define EXPECT_RAISES(message, statement) EXPECT_EQ(message, ::testing_support::MessageOf([&] { statement; }))
