#include "runtime/library_errors.h"

#include <cstdarg>
#include <cstddef>
#include <new>
#include <typeinfo>

ELibraryError::ELibraryError(const char* text) noexcept
{
    size_t n = 0;
    for (; text && text[n] && n + 1 < sizeof text_; ++n)
        text_[n] = text[n];
    text_[n] = '\0';
}

namespace {

// The library's own formatting of its range messages: %s, %zu and %%.
void Format(char* out, size_t size, const char* format, va_list args)
{
    size_t n = 0;
    const auto put = [&](char c) {
        if (n + 1 < size)
            out[n++] = c;
    };
    for (const char* p = format; *p; ++p) {
        if (p[0] == '%' && p[1] == 's') {
            for (const char* s = va_arg(args, const char*); *s; ++s)
                put(*s);
            ++p;
        } else if (p[0] == '%' && p[1] == 'z' && p[2] == 'u') {
            char digits[24];
            int count = 0;
            for (size_t value = va_arg(args, size_t); count == 0 || value; value /= 10)
                digits[count++] = static_cast<char>('0' + value % 10);
            while (count)
                put(digits[--count]);
            p += 2;
        } else if (p[0] == '%' && p[1] == '%') {
            put('%');
            ++p;
        } else {
            put(*p);
        }
    }
    out[n] = '\0';
}

[[noreturn]] void Raise(const char* text)
{
    throw ELibraryError(text);
}

} // namespace

// Every helper the library's functexcept.o defines, so that it is never
// linked: one of them missing here would bring it in beside these, and the
// link would fail on the duplicates rather than pass unnoticed.
namespace std {

void __throw_bad_exception()
{
    throw bad_exception();
}
void __throw_bad_alloc()
{
    throw bad_alloc();
}
void __throw_bad_array_new_length()
{
    throw bad_array_new_length();
}
void __throw_bad_cast()
{
    throw bad_cast();
}
void __throw_bad_typeid()
{
    throw bad_typeid();
}
void __throw_logic_error(const char* text)
{
    Raise(text);
}
void __throw_domain_error(const char* text)
{
    Raise(text);
}
void __throw_invalid_argument(const char* text)
{
    Raise(text);
}
void __throw_length_error(const char* text)
{
    Raise(text);
}
void __throw_out_of_range(const char* text)
{
    Raise(text);
}
void __throw_runtime_error(const char* text)
{
    Raise(text);
}
void __throw_range_error(const char* text)
{
    Raise(text);
}
void __throw_overflow_error(const char* text)
{
    Raise(text);
}
void __throw_underflow_error(const char* text)
{
    Raise(text);
}
void __throw_out_of_range_fmt(const char* format, ...)
{
    char text[256];
    va_list args;
    va_start(args, format);
    Format(text, sizeof text, format, args);
    va_end(args);
    Raise(text);
}

} // namespace std
