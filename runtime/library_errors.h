// What the C++ library raises when a precondition of its own is broken (a
// string position past the end, a size beyond the largest): its text, with
// no string of its own. The program has its own versions of the library's
// throwing helpers (library_errors.cpp): the library's build std::logic_error
// and its kin, whose copy-on-write strings bring in much code. Out of memory
// is still std::bad_alloc.
#pragma once

#include <exception>

class ELibraryError : public std::exception {
public:
    // Keeps the first 255 bytes of text.
    explicit ELibraryError(const char* text) noexcept;
    const char* what() const noexcept override { return text_; }

private:
    char text_[256];
};
