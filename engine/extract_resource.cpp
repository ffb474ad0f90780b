#include "engine/extract_resource.h"

#include "engine/inflate_copy.h"
#include "platform/file_system.h"
#include "platform/replacement_file.h"
#include "platform/resource.h"

namespace {

// Hashes every byte of the source once, in order, as it is read; what was
// never read (bytes after the compressed stream) is taken in at the end.
class TDigestingStream final : public TStream {
public:
    explicit TDigestingStream(TStream& source) : source_(source) {}

    int32_t Size() override { return source_.Size(); }
    int32_t Read(void* buffer, int32_t count) override
    {
        const int32_t from = source_.Position();
        const int32_t n = source_.Read(buffer, count);
        // The stream steps back over what inflate left unused and reads it
        // again; only bytes beyond those hashed so far count.
        if (n > 0 && from <= hashed_ && from + n > hashed_) {
            hash_.Update(static_cast<const uint8_t*>(buffer) + (hashed_ - from), static_cast<size_t>(from + n - hashed_));
            hashed_ = from + n;
        }
        return n;
    }
    int32_t Write(const void*, int32_t) override { return 0; }
    int32_t Seek(int32_t offset, uint16_t origin) override { return source_.Seek(offset, origin); }

    TSha256Digest Digest()
    {
        std::vector<uint8_t> rest(8192);
        source_.SetPosition(hashed_);
        while (Read(rest.data(), static_cast<int32_t>(rest.size())) > 0) {
        }
        return hash_.Finish();
    }

private:
    TStream& source_;
    TSha256 hash_;
    int32_t hashed_ = 0;
};

} // namespace

TExtractedFile::TExtractedFile() = default;
TExtractedFile::TExtractedFile(TExtractedFile&&) noexcept = default;
TExtractedFile& TExtractedFile::operator=(TExtractedFile&&) noexcept = default;
TExtractedFile::~TExtractedFile() = default;

TExtractedFile::TExtractedFile(const std::string& TargetPath, const std::string& ResourceName,
                               const TSha256Digest& SignedDigest)
    : target_(TargetPath)
{
    TResourceStream resource("BINARY", ResourceName, TResourceRead::File);
    TDigestingStream compressed(resource);
    auto file = std::make_unique<TReplacementFile>(TargetPath);
    CopyInflated(compressed, file->Stream());
    // Read from the program's file, which is not the image the signature
    // covers: only the image's digest says they are its bytes.
    if (compressed.Digest() != SignedDigest)
        return;
    file->Flush();
    file_ = std::move(file);
}

bool TExtractedFile::Commit()
{
    if (!file_)
        return false;
    file_->Commit();
    file_.reset();
    return FileExists(target_);
}

bool ExtractResource(const std::string& TargetPath, const std::string& ResourceName,
                     const TSha256Digest& SignedDigest)
{
    return TExtractedFile(TargetPath, ResourceName, SignedDigest).Commit();
}

std::vector<uint8_t> InflateResource(const char* type, const std::string& name)
{
    // Its bytes end up in memory anyway.
    TResourceStream compressed(type, name, TResourceRead::Image);
    TMemoryStream inflated;
    CopyInflated(compressed, inflated);
    return std::vector<uint8_t>(inflated.Memory(), inflated.Memory() + inflated.Size());
}
