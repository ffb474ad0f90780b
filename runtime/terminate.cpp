// The library's default std::terminate handler prints the exception's
// demangled type to stderr before it aborts. A GUI program has no stderr,
// and the demangler is a large part of the library; this one only aborts.
// It is in an object the link always takes, so the library's stays out.
#include <cstdlib>

namespace __gnu_cxx {
void __verbose_terminate_handler()
{
    std::abort();
}
} // namespace __gnu_cxx
