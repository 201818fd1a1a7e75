#include "platform/entry.h"

#include <string>
#include <vector>

#include "platform/console.h"
#include "platform/exit.h"
#include "platform/system.h"
#include "report/err.h"
#include "run/driver.h"
#include "run/entry_words.h"

namespace dolv {

namespace {

// The user's cancel (Ctrl-C and the like) ends the run as a cancelled question does.
void CANCEL_RUN() {
    ERR(ErrorCode::kCancelled);
}

}  // namespace

void DOLV_MAIN(const CommandLine& command_line) {
    std::vector<std::string> args = command_line.args;
    if (system_conventions().help_words && take_help_words(args) == HelpWords::kVersion) {
        // Asked before anything else is set up: the line alone, nothing
        // else on the terminal.
        write_line_native(ShortText("dolv ") + PROGRAM_VERSION());
        FLUSH();
        end_run(OUTPUT_FAILED() ? 1 : 0);
    }
    CONSOLE_OPEN();
    SET_CANCEL_ACTION(CANCEL_RUN);
    RUN(args);
}

}  // namespace dolv
