// Exception types of the installer. Every failure is one of these; the
// message loop's error report shows Message(). Portable: no Windows headers.
#pragma once

#include <exception>
#include <string>

// Base of every installer exception: carries the message text.
class Exception : public std::exception {
public:
    explicit Exception(std::string message) : message_(std::move(message)) {}
    const std::string& Message() const noexcept { return message_; }
    const char* what() const noexcept override { return message_.c_str(); }

private:
    std::string message_;
};

// Exact reads and writes of a byte stream that moved fewer bytes.
class EReadError : public Exception {
public:
    EReadError() : Exception("Stream read error") {}
};

class EWriteError : public Exception {
public:
    EWriteError() : Exception("Stream write error") {}
};

// A memory stream that cannot grow to the size asked for.
class EOutOfMemoryStream : public Exception {
public:
    EOutOfMemoryStream() : Exception("Out of memory while expanding memory stream") {}
};

// An allocation failed where a C library (zlib) could not throw itself.
class EOutOfMemory : public Exception {
public:
    EOutOfMemory() : Exception("Out of memory") {}
};

// A 64-bit value that does not fit the 32-bit operation behind it.
class ERangeError : public Exception {
public:
    ERangeError() : Exception("Range check error") {}
};

// A file that cannot be created or replaced; the text names its full path.
class EFCreateError : public Exception {
public:
    EFCreateError(const std::string& fullPath, const std::string& systemText)
        : Exception("Cannot create file \"" + fullPath + "\". " + systemText) {}
};

// A payload resource missing from the module.
class EResNotFound : public Exception {
public:
    explicit EResNotFound(const std::string& name) : Exception("Resource " + name + " not found") {}
};

// A profile (INI) file write refused by the system.
class EIniFileException : public Exception {
public:
    explicit EIniFileException(const std::string& path) : Exception("Unable to write to " + path) {}
};

// A registry value of an unexpected type, or a value write that failed.
class ERegistryException : public Exception {
public:
    using Exception::Exception;
};

// COM object creation or interface query that failed.
class EOleSysError : public Exception {
public:
    using Exception::Exception;
};
