#include "install/ordered_extract.h"

#include "platform/worker_thread.h"

#include <atomic>
#include <exception>

namespace {

struct TSlot {
    TExtractedFile File;
    std::exception_ptr Error;
    std::atomic<bool> Done{false};
};

} // namespace

bool ExtractInOrder(const std::vector<TExtraction>& files, const TExtractFunction& extract,
                    const std::function<void(std::size_t)>& placed, bool secondThread)
{
    const std::size_t count = files.size();
    std::vector<TSlot> slots(count);
    std::atomic<std::size_t> next{0};
    // Set at the first failure: nothing more is begun, what runs finishes.
    std::atomic<bool> stop{false};
    // Takes the next file in order; false when none is left to take.
    const auto extractNext = [&] {
        if (stop)
            return false;
        const std::size_t i = next++;
        if (i >= count)
            return false;
        TSlot& slot = slots[i];
        try {
            slot.File = extract(files[i].Path, files[i].ResourceName);
            if (!slot.File.Verified())
                stop = true;
        } catch (...) {
            slot.Error = std::current_exception();
            stop = true;
        }
        slot.Done = true;
        return true;
    };
    std::size_t inPlace = 0;
    bool failed = false;
    const auto placeReady = [&] {
        while (!failed && inPlace < count && slots[inPlace].Done) {
            if (slots[inPlace].Error || !slots[inPlace].File.Commit()) {
                failed = true;
                return;
            }
            placed(inPlace++);
        }
    };
    {
        // Joined before the slots go: what it made is removed with them.
        const auto work = [&] {
            while (extractNext()) {
            }
        };
        TWorkerThread second(secondThread ? std::function<void()>(work) : std::function<void()>());
        try {
            while (extractNext())
                placeReady();
        } catch (...) {
            stop = true;
            throw;
        }
    }
    placeReady();
    if (inPlace == count)
        return true;
    if (slots[inPlace].Error)
        std::rethrow_exception(slots[inPlace].Error);
    return false;
}
