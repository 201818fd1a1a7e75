// The store of the in-process tests: an in-memory folder of files standing
// in for the platform's store (platform/store.h) at link time. A file grows
// by blocks of 4 KiB (more than the longest record), its room zero bytes,
// as the platform's mapped blocks; a file that was not closed keeps its
// zero tail, as a killed process leaves it. Its clock is the fake file
// system's (Fs::Clock): a stamp moves it on by a second.
#pragma once

#include <string>
#include <vector>

#include "platform/store.h"

namespace dolv::fake {

class Store {
  public:
    // No folder yet, no files; files can be written.
    static void Reset();
    // No file can be made, nor grow, from now on (a read-only home, a full
    // disk); the folder cannot be made either.
    static void Unwritable();
    // The folder's names cannot change from now on: no file is made,
    // renamed or removed (a folder without write permission); the files in
    // it can still be read and written.
    static void Frozen();
    // What store_open finds: the folder made, with this status (kLink, a
    // folder owned by another user, ...). kOpen with tightened true is a
    // folder others may write that store_open closes (then kOk).
    static void Folder(StoreStatus status, bool tightened = false);
    // True once store_open has closed a folder open to others.
    static bool Tightened();
    // A file put in the folder by hand (a journal of another build, one
    // edited or damaged), and what store_take tells of it.
    static void Put(const std::string& name, const std::string& content,
                    StoreStatus status = StoreStatus::kOk);
    // Another process holds the file (a run in progress): store_take says
    // kLocked. The store's own lock on a file being written does the same.
    static void Lock(const std::string& name);
    // The end of the process: the system lets go of every lock it held.
    static void EndProcess();
    // The names in the folder, sorted.
    static std::vector<std::string> Names();
    // A file's content, "" when there is none.
    static std::string Content(const std::string& name);
    // The lines written to standard error, each with "\n".
    static const std::string& Errors();
};

}  // namespace dolv::fake
