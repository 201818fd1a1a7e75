// The fixture of the in-process tests: a fresh run (settings, counters, the
// report channel, the fake console and file system) before every test, and
// a call of the program's logic that turns the end of the run into a code.
#pragma once

#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "fakes/fake_console.h"
#include "fakes/fake_fs.h"
#include "fakes/fake_journal.h"
#include "harness/short_text_print.h"
#include "platform/console.h"
#include "platform/exit.h"
#include "report/channel.h"
#include "report/counters.h"
#include "report/settings.h"

namespace dolv::fake {

// How a call ended: -1 when it returned, else the code given to HALT.
constexpr int kReturned = -1;

template <typename F>
int Ends(F&& call) {
    try {
        call();
    } catch (const Halted& h) {
        return h.code;
    }
    return kReturned;
}

inline void FreshRun(const std::string& keys = std::string()) {
    settings = Settings();
    counters = RunCounters();
    Console::Reset(keys);
    Fs::Reset();
    Journal::Reset();
    set_cancel_action(nullptr);
    forget_closings();
    open_report();  // with no report file: the channel writes to the console
}

class InProcess : public ::testing::Test {
  protected:
    void SetUp() override { FreshRun(); }
};

// The counters as one text, "APPLY/NEGATI/SALTATI/TOT", for a table's column.
inline std::string Counts() {
    return std::to_string(counters.APPLY) + "/" + std::to_string(counters.NEGATI) + "/" +
           std::to_string(counters.SALTATI) + "/" + std::to_string(counters.TOT);
}

}  // namespace dolv::fake
