#include "platform/entry.h"

#include "platform/console.h"
#include "report/err.h"
#include "run/driver.h"

namespace dolv {

namespace {

// The user's cancel (Ctrl-C and the like) ends the run as a cancelled question does.
void CANCEL_RUN() {
    ERR(ErrorCode::kCancelled);
}

}  // namespace

int DOLV_MAIN(const CommandLine& command_line) {
    SET_CANCEL_ACTION(CANCEL_RUN);
    return RUN(command_line.args);
}

}  // namespace dolv
