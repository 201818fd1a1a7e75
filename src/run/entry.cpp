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
void cancel_run() {
    ERR(ErrorCode::kCancelled);
}

}  // namespace

void dolv_main(const CommandLine& command_line) {
    std::vector<std::string> args = command_line.args;
    if (system_conventions().help_words && take_help_words(args) == HelpWords::kVersion) {
        // Asked before anything else is set up: the line alone, nothing
        // else on the terminal.
        WRITELN(ShortText("dolv ") + program_version());
        FLUSH();
        end_run(output_failed() ? 1 : 0);
    }
    console_open();
    set_cancel_action(cancel_run);
    run(args);
}

}  // namespace dolv
