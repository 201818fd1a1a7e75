#include "report/answer.h"

#include "platform/console.h"

namespace dolv {

unsigned char READANSWER(std::string_view accepted) {
    for (;;) {
        unsigned char key = READKEY();
        if (key == 0) {
            READKEY();
            continue;
        }
        if (key >= 'a' && key <= 'z') key = static_cast<unsigned char>(key - 'a' + 'A');
        if (accepted.find(static_cast<char>(key)) != std::string_view::npos) return key;
    }
}

void FRESHLINE() {
    if (WHEREX() != 1) WRITELN();
}

}  // namespace dolv
