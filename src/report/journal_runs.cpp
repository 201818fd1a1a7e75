#include "report/journal_runs.h"

#include <algorithm>
#include <chrono>
#include <cstdio>
#include <cstring>

namespace dolv {

namespace {

constexpr size_t kKeptRuns = 20;
constexpr size_t kWindow = 1 << 20;  // the bytes of a journal read at once
// A line longer than this is none the writer makes: the file is damaged.
constexpr size_t kLongestLine = 4096;

struct Suffix {
    std::string_view text;
    RunState state;
};
constexpr Suffix kSuffixes[] = {{".journal", RunState::kKept},
                                {".undoing", RunState::kUndoing},
                                {".undone", RunState::kUndone}};

std::string_view suffix_of(RunState state) {
    for (const Suffix& s : kSuffixes)
        if (s.state == state) return s.text;
    return kSuffixes[0].text;
}

bool all_digits(std::string_view text) {
    return !text.empty() &&
           std::all_of(text.begin(), text.end(), [](char c) { return c >= '0' && c <= '9'; });
}

// The start of a run of the build before, from its name
// "20240611T093000.123456789Z-4242"; false when the name is not such.
bool named_start(std::string_view base, int64_t& ns) {
    int y, mo, d, h, mi, s;
    long long frac;
    unsigned long long pid;
    char z;
    const std::string text(base);
    if (base.size() < 27 ||
        std::sscanf(text.c_str(), "%4d%2d%2dT%2d%2d%2d.%9lld%c-%llu", &y, &mo, &d, &h, &mi, &s,
                    &frac, &z, &pid) != 9 ||
        z != 'Z')
        return false;
    using namespace std::chrono;
    const sys_days day{year{y} / month{static_cast<unsigned>(mo)} / static_cast<unsigned>(d)};
    ns = duration_cast<nanoseconds>(day.time_since_epoch()).count() +
         ((static_cast<int64_t>(h) * 60 + mi) * 60 + s) * 1000000000 + frac;
    return true;
}

// A run from a name of the store; false for a file that is no run.
bool run_of(const std::string& name, KeptRun& run) {
    for (const Suffix& s : kSuffixes) {
        if (!name.ends_with(s.text)) continue;
        const std::string_view base = std::string_view(name).substr(0, name.size() - s.text.size());
        run = KeptRun{name, 0, s.state, 0};
        if (base.size() == 10 && all_digits(base)) {
            run.sequence = std::stoull(std::string(base));
            return run.sequence > 0;
        }
        return named_start(base, run.named_start_ns);
    }
    return false;
}

}  // namespace

std::vector<KeptRun> kept_runs() {
    std::vector<KeptRun> runs;
    for (const std::string& name : store_list()) {
        KeptRun run;
        if (run_of(name, run)) runs.push_back(run);
    }
    std::sort(runs.begin(), runs.end(), [](const KeptRun& a, const KeptRun& b) {
        if (a.sequence != b.sequence) return a.sequence > b.sequence;
        return a.named_start_ns > b.named_start_ns;
    });
    return runs;
}

uint64_t next_sequence(const std::vector<KeptRun>& runs) {
    return runs.empty() ? 1 : runs.front().sequence + 1;
}

void prune_runs() {
    std::vector<KeptRun> runs = kept_runs();
    while (runs.size() >= kKeptRuns) {
        auto oldest = std::find_if(runs.rbegin(), runs.rend(), [](const KeptRun& run) {
            StoreHandle held;
            return store_take(run.name, held) != StoreStatus::kLocked;
        });
        if (oldest == runs.rend()) return;
        store_remove(oldest->name);
        runs.erase(std::next(oldest).base());
    }
}

bool mark_run(KeptRun& run, RunState state) {
    const std::string_view from = suffix_of(run.state);
    const std::string name =
        run.name.substr(0, run.name.size() - from.size()) + std::string(suffix_of(state));
    if (!store_rename(run.name, name)) return false;
    run.name = name;
    run.state = state;
    return true;
}

ShortText store_trouble(StoreStatus status, bool folder) {
    switch (status) {
        case StoreStatus::kOk:
            return ShortText();
        case StoreStatus::kLink:
            return "e' un collegamento";
        case StoreStatus::kWrongKind:
            return folder ? "non e' una directory" : "non e' un file normale";
        case StoreStatus::kForeign:
            return "appartiene a un altro utente";
        case StoreStatus::kOpen:
            return "e' accessibile ad altri utenti";
        case StoreStatus::kLocked:
            return "e' in uso da un' esecuzione in corso";
        default:
            return "non puo' essere letto";
    }
}

// ---------------------------------------------------------------------------
// Reading a run.

StoreStatus RunReader::take(const KeptRun& run) {
    *this = RunReader();
    start_ns_ = run.named_start_ns;
    const StoreStatus status = store_take(run.name, handle_);
    if (status == StoreStatus::kOk) size_ = store_size(handle_);
    return status;
}

bool RunReader::load(uint64_t from, uint64_t to) {
    window_.resize(static_cast<size_t>(to - from));
    window_at_ = from;
    return store_read_at(handle_, from, window_.data(), window_.size());
}

// The next whole line from pos_, and where it starts. Zero bytes between
// lines are passed over, and so is a line cut short by them or by the end.
// A line longer than any the writer makes is given as it is (damaged).
bool RunReader::next_line(std::string_view& line, uint64_t& at) {
    for (;;) {
        if (pos_ >= size_) return false;
        const uint64_t held_end = window_at_ + window_.size();
        if (pos_ < window_at_ || pos_ >= held_end ||
            (held_end < size_ && held_end - pos_ < kLongestLine)) {
            if (!load(pos_, std::min<uint64_t>(size_, pos_ + kWindow))) return false;
        }
        const char* base = window_.data() + (pos_ - window_at_);
        const size_t left = static_cast<size_t>(window_at_ + window_.size() - pos_);
        size_t i = 0;
        if (base[0] == '\0') {
            while (i < left && base[i] == '\0') ++i;
            pos_ += i;
            continue;
        }
        const size_t span = std::min(left, kLongestLine);
        while (i < span && base[i] != '\n' && base[i] != '\0') ++i;
        if (i < span && base[i] == '\0') {
            pos_ += i;  // cut short
            continue;
        }
        if (i == span && span == left && pos_ + left == size_) return false;  // cut short
        line = std::string_view(base, i);
        at = pos_;
        pos_ = i == span ? size_ : pos_ + i + 1;
        return true;
    }
}

bool RunReader::scan() {
    window_.clear();
    window_at_ = 0;
    pos_ = 0;
    std::string_view line;
    uint64_t at = 0;
    if (!next_line(line, at)) return false;
    format_ = journal_format(std::string(line) + "\n");
    if (format_ != 1 && format_ != 2) return false;
    body_ = pos_;
    JournalRecord r;
    while (next_line(line, at)) {
        const JournalLines::Kind kind = lines_.take(line, r, false);
        if (kind == JournalLines::Kind::kDamaged) return false;
        if (kind == JournalLines::Kind::kRecord) ++count_;
        if (line.starts_with("P\t")) dirs_.emplace_back(at, lines_.directory());
    }
    if (format_ == 2) start_ns_ = lines_.start_ns();
    vouched_ = lines_.vouched();
    // A journal of this build gives its start; one killed before its first
    // record may not, and has nothing to take back.
    return !(format_ == 2 && start_ns_ == 0 && count_ != 0);
}

void RunReader::from_first() {
    pos_ = body_;
    number_ = 0;
    lines_ = JournalLines();
}

bool RunReader::next(JournalRecord& record, uint32_t& number, bool paths) {
    std::string_view line;
    uint64_t at = 0;
    while (next_line(line, at)) {
        if (lines_.take(line, record, paths) != JournalLines::Kind::kRecord) continue;
        number = number_++;
        return true;
    }
    return false;
}

void RunReader::from_last() {
    pos_ = size_;
    number_ = count_;
}

std::string_view RunReader::directory_at(uint64_t at) const {
    auto after = std::upper_bound(dirs_.begin(), dirs_.end(), at,
                                  [](uint64_t a, const auto& d) { return a < d.first; });
    return after == dirs_.begin() ? std::string_view() : std::string_view(std::prev(after)->second);
}

// The last whole line that ends before pos_, and where it starts; the
// first line (the header) is none.
bool RunReader::previous_line(std::string_view& line, uint64_t& at) {
    bool reread = false;
    while (pos_ > body_) {
        if (pos_ <= window_at_ || pos_ > window_at_ + window_.size()) {
            if (!load(pos_ > kWindow ? pos_ - kWindow : 0, pos_)) return false;
        }
        const char* base = window_.data();
        size_t line_end = static_cast<size_t>(pos_ - window_at_);
        while (line_end > 0 && base[line_end - 1] != '\n') --line_end;
        if (line_end == 0) {
            if (window_at_ == 0) return false;
            pos_ = window_at_;
            continue;
        }
        --line_end;
        size_t start = line_end;
        while (start > 0 && base[start - 1] != '\n' && base[start - 1] != '\0') --start;
        if (start == 0 && window_at_ > 0) {
            // The line may begin before the bytes held: the piece that ends with it.
            if (reread) return false;  // longer than any line: damaged
            reread = true;
            pos_ = window_at_ + line_end + 1;
            if (!load(pos_ > kWindow ? pos_ - kWindow : 0, pos_)) return false;
            continue;
        }
        at = window_at_ + start;
        pos_ = at;
        if (at < body_) return false;
        line = std::string_view(base + start, line_end - start);
        return true;
    }
    return false;
}

bool RunReader::previous(JournalRecord& record, uint32_t& number) {
    std::string_view line;
    uint64_t at = 0;
    while (previous_line(line, at)) {
        lines_.set_directory(directory_at(at));
        if (lines_.take(line, record) != JournalLines::Kind::kRecord) continue;
        number = --number_;
        return true;
    }
    return false;
}

}  // namespace dolv
