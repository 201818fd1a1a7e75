#include "fakes/fake_journal.h"

#include <vector>

#include "fakes/fake_store.h"
#include "report/journal.h"

namespace dolv::fake {

namespace {

std::string_view name_of(const ShortText& path) {
    const std::string_view p = path.view();
    const size_t cut = p.find_last_of('\\');
    return cut == std::string_view::npos ? p : p.substr(cut + 1);
}

int count_ending(std::string_view suffix) {
    int n = 0;
    for (const std::string& name : Store::Names()) n += name.ends_with(suffix) ? 1 : 0;
    return n;
}

}  // namespace

void Journal::Reset() {
    Store::Reset();
    journal_forget();
}
void Journal::EndRun() {
    journal_forget();
    Store::EndProcess();
}
void Journal::Unwritable() {
    Store::Unwritable();
}
int Journal::Runs() {
    return count_ending(".journal") + count_ending(".undone");
}
int Journal::Undone() {
    return count_ending(".undone");
}
std::string Journal::Steps() {
    const std::vector<std::string> names = Store::Names();
    std::vector<JournalRecord> records;
    if (!names.empty()) journal_parse(Store::Content(names.back()), records);
    std::string out;
    for (const JournalRecord& r : records) {
        if (!out.empty()) out += ' ';
        out += static_cast<char>(r.step);
        out += ' ';
        out += name_of(r.old_path);
        out += '>';
        out += name_of(r.new_path);
    }
    return out;
}
const std::string& Journal::Errors() {
    return Store::Errors();
}

}  // namespace dolv::fake
