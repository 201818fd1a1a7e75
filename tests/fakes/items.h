// Items of a table row: "a.txt b.txt sub/" is two files (each holding its
// own name) and a directory, in the current directory of the fake file system.
#pragma once

#include <sstream>
#include <string>

#include "fakes/fake_fs.h"

namespace dolv::fake {

inline void Items(const std::string& list) {
    std::istringstream in(list);
    std::string name;
    while (in >> name) {
        if (name.back() == '/') {
            Fs::Dir(name.substr(0, name.size() - 1));
        } else {
            Fs::File(name, name);
        }
    }
}

}  // namespace dolv::fake
