// The payload's files extracted on two threads and put in place in the
// table's order, as one thread would.
#pragma once

#include "engine/extract_resource.h"

#include <cstddef>
#include <functional>
#include <string>
#include <vector>

// Extracts one payload resource for a file (ExtractPayload); may be called
// on two threads at once.
using TExtractFunction = std::function<TExtractedFile(const std::string& targetPath, const std::string& resourceName)>;

struct TExtraction {
    std::string Path;
    std::string ResourceName;
};

// Extracts the files, on this thread and, with secondThread, one more, and
// puts each in its place as soon as those before it are. A file after one
// refused or failed never reaches its name, and what was made for it is
// removed: the outcome is the one of extracting and placing them one by
// one. placed(i) follows placing files[i], on this thread. False when a file
// was refused; a raised failure is raised again here, the first in the
// files' order. On two threads every new file may exist before any is in
// place.
bool ExtractInOrder(const std::vector<TExtraction>& files, const TExtractFunction& extract,
                    const std::function<void(std::size_t)>& placed, bool secondThread);
