// The store of the in-process tests: an in-memory folder of files standing
// in for the platform's store (platform/store.h) at link time. A file grows
// by blocks of 4 KiB (more than the longest record), its room zero bytes,
// as the platform's mapped blocks; a file that was not closed keeps its
// zero tail, as a killed process leaves it.
#pragma once

#include <string>
#include <vector>

namespace dolv::fake {

class Store {
  public:
    // No folder yet, no files; files can be written.
    static void Reset();
    // No file can be made, nor grow, from now on (a read-only home, a full
    // disk); the folder cannot be made either.
    static void Unwritable();
    // The names in the folder, sorted.
    static std::vector<std::string> Names();
    // A file's content, "" when there is none.
    static std::string Content(const std::string& name);
    // The lines written to standard error, each with "\n".
    static const std::string& Errors();
};

}  // namespace dolv::fake
