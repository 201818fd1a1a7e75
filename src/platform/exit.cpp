#include "platform/exit.h"

#include <algorithm>
#include <vector>

#include "platform/console.h"

namespace dolv {

namespace {

std::vector<Closing>& closings() {
    static std::vector<Closing> list;
    return list;
}

}  // namespace

void close_at_end(Closing closing) {
    std::vector<Closing>& list = closings();
    if (std::find(list.begin(), list.end(), closing) == list.end()) list.push_back(closing);
}

void forget_closings() {
    closings().clear();
}

void end_run(int code) {
    // Taken out of the list before it runs: a closing that fails and ends
    // the run again finds nothing left to close.
    std::vector<Closing>& list = closings();
    while (!list.empty()) {
        const Closing closing = list.back();
        list.pop_back();
        closing();
    }
    CURSORON();
    HALT(code);
}

}  // namespace dolv
