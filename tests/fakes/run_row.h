// One row of a table of whole runs: the items in the current directory, the
// command line, the keys, and what the run leaves (exit code, the items
// afterwards, the console text). The run goes through the driver as the
// program's entry does, with the same cancel action.
#pragma once

#include <ostream>
#include <string>
#include <vector>

#include "fakes/fake_journal.h"
#include "fakes/in_process.h"
#include "fakes/items.h"
#include "platform/console.h"
#include "report/err.h"
#include "run/driver.h"

namespace dolv::fake {

struct RunRow {
    const char* name;
    const char* items;
    void (*setup)();  // faults, hooks, more items; may be null
    std::vector<std::string> args;
    std::string keys;
    int code;             // the exit code
    const char* after;    // the current directory afterwards
    std::string console;  // everything written, line ends as "\n"
};

inline void PrintTo(const RunRow& row, std::ostream* os) {
    *os << row.name;
}

inline void CancelRun() {
    ERR(ErrorCode::kCancelled);
}

// Runs the program with the row's items, arguments and keys; the exit code.
inline int RunProgram(const RunRow& row) {
    Items(row.items);
    Console::Reset(row.keys);
    if (row.setup) row.setup();
    set_cancel_action(CancelRun);
    const int code = Ends([&] { run(row.args); });
    Journal::EndRun();
    return code;
}

inline void CheckRun(const RunRow& row) {
    EXPECT_EQ(RunProgram(row), row.code);
    EXPECT_EQ(Fs::Listing(), row.after);
    EXPECT_EQ(Console::Text(), row.console);
}

}  // namespace dolv::fake
