// Items of a table row: "a.txt b.txt sub/" is two files (each holding its
// own name) and a directory, in the current directory of the fake file
// system; a name that starts with a dot is hidden, as on POSIX.
#pragma once

#include <sstream>
#include <string>

#include "fakes/fake_fs.h"
#include "platform/fs.h"

namespace dolv::fake {

inline void Items(const std::string& list) {
    std::istringstream in(list);
    std::string name;
    while (in >> name) {
        const uint8_t attr = name[0] == '.' ? FA_HIDDEN : 0;
        if (name.back() == '/') {
            Fs::Dir(name.substr(0, name.size() - 1), attr);
        } else {
            Fs::File(name, name, attr);
        }
    }
}

}  // namespace dolv::fake
