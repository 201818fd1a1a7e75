#include "fakes/fake_store.h"

#include <map>
#include <memory>

#include "fakes/fake_fs.h"
#include "platform/store.h"

namespace dolv {

struct StoreState {
    std::string name;
    size_t block_start = 0;  // the offset of the block in use
    bool grown = false;      // a block is in use
};

namespace {

struct File {
    std::string content;
    StoreStatus status = StoreStatus::kOk;  // what store_take tells
    bool locked = false;                    // held by this process
    bool held_elsewhere = false;            // held by another process (Store::Lock)
};

}  // namespace

// A handle holds its file, and follows it through a rename, as an open file does.
struct StoreOpenFile {
    std::shared_ptr<File> file;
};

namespace {

constexpr size_t kFakeBlock = 4096;

struct FakeFolder {
    bool made = false;
    bool unwritable = false;
    bool frozen = false;
    StoreStatus status = StoreStatus::kOk;
    bool tightens = false;
    bool tightened = false;
    std::map<std::string, std::shared_ptr<File>, std::less<>> files;
    std::string errors;
};

FakeFolder& F() {
    static FakeFolder f;
    return f;
}

File* file_of(std::string_view name) {
    auto it = F().files.find(name);
    return it == F().files.end() ? nullptr : it->second.get();
}

}  // namespace

StoreStatus store_open(bool make) {
    FakeFolder& f = F();
    if (!f.made && make && !f.unwritable) f.made = true;
    if (!f.made) return StoreStatus::kMissing;
    if (f.status == StoreStatus::kOpen && f.tightens) {
        f.status = StoreStatus::kOk;
        f.tightened = true;
    }
    return f.status;
}

bool store_create(std::string_view name, StoreFile& file) {
    FakeFolder& f = F();
    file = StoreFile();
    if (!f.made || f.unwritable || f.frozen || f.files.contains(name)) return false;
    f.files[std::string(name)] =
        std::make_shared<File>(File{std::string(), StoreStatus::kOk, true, false});
    file.state = std::make_shared<StoreState>(StoreState{std::string(name), 0, false});
    return true;
}

bool store_grow(StoreFile& file, size_t n) {
    StoreState& s = *file.state;
    File* it = file_of(s.name);
    if (F().unwritable || n > kFakeBlock || !it) return false;
    if (s.grown) s.block_start += kFakeBlock;
    s.grown = true;
    it->content.resize(s.block_start + kFakeBlock, '\0');
    file.room = it->content.data() + s.block_start;
    file.room_end = file.room + kFakeBlock;
    return true;
}

bool store_close(StoreFile& file) {
    if (!file.state) return true;
    StoreState& s = *file.state;
    if (File* it = file_of(s.name)) {
        const char* block = it->content.data() + s.block_start;
        it->content.resize(s.grown ? s.block_start + static_cast<size_t>(file.room - block) : 0);
        it->locked = false;
    }
    file = StoreFile();
    return true;
}

std::vector<std::string> store_list() {
    std::vector<std::string> names;
    for (const auto& [name, content] : F().files) names.push_back(name);
    return names;
}

bool store_rename(std::string_view from, std::string_view to) {
    FakeFolder& f = F();
    auto it = f.files.find(from);
    if (f.frozen || it == f.files.end() || f.files.contains(to)) return false;
    std::shared_ptr<File> moved = std::move(it->second);
    f.files.erase(it);
    f.files[std::string(to)] = std::move(moved);
    return true;
}

bool store_remove(std::string_view name) {
    auto it = F().files.find(name);
    if (F().frozen || it == F().files.end()) return false;
    F().files.erase(it);
    return true;
}

StoreStatus store_take(std::string_view name, StoreHandle& handle) {
    handle = StoreHandle();
    auto it = F().files.find(name);
    if (it == F().files.end()) return StoreStatus::kMissing;
    File& file = *it->second;
    if (file.status != StoreStatus::kOk) return file.status;
    if (file.locked || file.held_elsewhere) return StoreStatus::kLocked;
    file.locked = true;
    handle.state = std::make_shared<StoreOpenFile>(StoreOpenFile{it->second});
    return StoreStatus::kOk;
}

namespace {
File* held(const StoreHandle& handle) {
    return handle.state ? handle.state->file.get() : nullptr;
}
}  // namespace

uint64_t store_size(const StoreHandle& handle) {
    const File* file = held(handle);
    return file ? file->content.size() : 0;
}

bool store_read_at(const StoreHandle& handle, uint64_t offset, char* out, size_t n) {
    const File* file = held(handle);
    if (!file || offset + n > file->content.size()) return false;
    file->content.copy(out, n, offset);
    return true;
}

bool store_append(StoreHandle& handle, std::string_view text) {
    File* file = held(handle);
    if (!file || F().unwritable) return false;
    file->content += text;
    return true;
}

void store_release(StoreHandle& handle) {
    if (File* file = held(handle)) file->locked = false;
    handle = StoreHandle();
}

StoreStamp store_stamp() {
    fake::Fs::AdvanceClock(1000000000);
    return StoreStamp{fake::Fs::Clock(), 1};
}

void store_wait_past(int64_t nanoseconds) {
    if (fake::Fs::Clock() <= nanoseconds)
        fake::Fs::AdvanceClock(nanoseconds - fake::Fs::Clock() + 1);
}

void store_warn(std::string_view line) {
    F().errors += std::string(line) + "\n";
}

namespace fake {

void Store::Reset() {
    F() = FakeFolder();
}
void Store::Unwritable() {
    F().unwritable = true;
}
void Store::Frozen() {
    F().frozen = true;
}
void Store::Folder(StoreStatus status, bool tightened) {
    F().made = true;
    F().status = status;
    F().tightens = tightened;
}
bool Store::Tightened() {
    return F().tightened;
}
void Store::Put(const std::string& name, const std::string& content, StoreStatus status) {
    F().made = true;
    F().files[name] = std::make_shared<File>(File{content, status, false, false});
}
void Store::Lock(const std::string& name) {
    if (File* file = file_of(name)) file->held_elsewhere = true;
}
void Store::EndProcess() {
    for (auto& [name, file] : F().files) file->locked = false;
}
std::vector<std::string> Store::Names() {
    return store_list();
}
std::string Store::Content(const std::string& name) {
    const File* file = file_of(name);
    return file ? file->content : std::string();
}
const std::string& Store::Errors() {
    return F().errors;
}

}  // namespace fake
}  // namespace dolv
