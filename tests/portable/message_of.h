// The message of the exception a call raises; portable, for every test build.
#pragma once

#include "platform/errors.h"

#include <string>

namespace testing_support {

// The message of the exception that f raises, or "<no exception>".
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
