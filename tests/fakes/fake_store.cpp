#include "fakes/fake_store.h"

#include <map>

#include "platform/store.h"

namespace dolv {

struct StoreState {
    std::string name;
    size_t block_start = 0;  // the offset of the block in use
    bool grown = false;      // a block is in use
};

namespace {

constexpr size_t kFakeBlock = 4096;

struct Folder {
    bool made = false;
    bool unwritable = false;
    std::map<std::string, std::string, std::less<>> files;
    std::string errors;
    int64_t clock = 0;  // seconds, one more for each stamp
};

Folder& F() {
    static Folder f;
    return f;
}

}  // namespace

bool store_open(bool make) {
    Folder& f = F();
    if (!f.made && make && !f.unwritable) f.made = true;
    return f.made;
}

bool store_create(std::string_view name, StoreFile& file) {
    Folder& f = F();
    file = StoreFile();
    if (!f.made || f.unwritable || f.files.contains(name)) return false;
    f.files[std::string(name)];
    file.state = std::make_shared<StoreState>(StoreState{std::string(name), 0, false});
    return true;
}

bool store_grow(StoreFile& file, size_t n) {
    StoreState& s = *file.state;
    auto it = F().files.find(s.name);
    if (F().unwritable || n > kFakeBlock || it == F().files.end()) return false;
    if (s.grown) s.block_start += kFakeBlock;
    s.grown = true;
    it->second.resize(s.block_start + kFakeBlock, '\0');
    file.room = it->second.data() + s.block_start;
    file.room_end = file.room + kFakeBlock;
    return true;
}

bool store_close(StoreFile& file) {
    if (!file.state) return true;
    StoreState& s = *file.state;
    auto it = F().files.find(s.name);
    if (it != F().files.end()) {
        const char* block = it->second.data() + s.block_start;
        it->second.resize(s.grown ? s.block_start + static_cast<size_t>(file.room - block) : 0);
    }
    file = StoreFile();
    return true;
}

std::vector<std::string> store_list() {
    std::vector<std::string> names;
    for (const auto& [name, content] : F().files) names.push_back(name);
    return names;
}

bool store_read(std::string_view name, std::string& text) {
    auto it = F().files.find(name);
    if (it == F().files.end()) return false;
    text = it->second;
    return true;
}

bool store_rename(std::string_view from, std::string_view to) {
    Folder& f = F();
    auto it = f.files.find(from);
    if (it == f.files.end() || f.files.contains(to)) return false;
    std::string content = std::move(it->second);
    f.files.erase(it);
    f.files[std::string(to)] = std::move(content);
    return true;
}

bool store_remove(std::string_view name) {
    auto it = F().files.find(name);
    if (it == F().files.end()) return false;
    F().files.erase(it);
    return true;
}

StoreStamp store_stamp() {
    return StoreStamp{++F().clock * 1000000000, 1};
}

void store_warn(std::string_view line) {
    F().errors += std::string(line) + "\n";
}

namespace fake {

void Store::Reset() {
    F() = Folder();
}
void Store::Unwritable() {
    F().unwritable = true;
}
std::vector<std::string> Store::Names() {
    return store_list();
}
std::string Store::Content(const std::string& name) {
    std::string text;
    store_read(name, text);
    return text;
}
const std::string& Store::Errors() {
    return F().errors;
}

}  // namespace fake
}  // namespace dolv
