// Unpacks one payload resource of the running program into a file.
#pragma once

#include "platform/sha256.h"

#include <cstdint>
#include <memory>
#include <string>
#include <vector>

class TReplacementFile;

// Inflates resource BINARY/ResourceName of the program's own module into
// TargetPath. The data is inflated once, into a new file beside the target,
// which replaces the target in one step only when every byte has been
// written, the stream's checksum has matched and the resource's bytes, as
// read, have the digest the image holds for them (SignedDigest). On any
// failure the target is as it was and the new file is gone. Returns whether
// the file exists afterwards, false also for bytes of another digest; every
// other failure on the way is an exception.
bool ExtractResource(const std::string& TargetPath, const std::string& ResourceName,
                     const TSha256Digest& SignedDigest);

// ExtractResource in two steps, the first of which may run on another
// thread: the constructor inflates and checks into the new file, Commit puts
// it in the target's place. Dropped uncommitted, the new file is removed and
// the target stays as it was. Default-constructed, it is a refused one.
class TExtractedFile {
public:
    TExtractedFile();
    TExtractedFile(const std::string& TargetPath, const std::string& ResourceName,
                   const TSha256Digest& SignedDigest);
    TExtractedFile(TExtractedFile&&) noexcept;
    TExtractedFile& operator=(TExtractedFile&&) noexcept;
    ~TExtractedFile();

    // Whether the bytes read had the signed digest.
    bool Verified() const { return static_cast<bool>(file_); }
    // Puts a verified file in place; whether the target exists afterwards.
    // Raises what the rename raises.
    bool Commit();

private:
    std::string target_;
    std::unique_ptr<TReplacementFile> file_;
};

// The bytes a zlib-compressed resource of the program's own module inflates
// to. Raises "Resource %s not found", or the stream's errors when damaged.
std::vector<uint8_t> InflateResource(const char* type, const std::string& name);
