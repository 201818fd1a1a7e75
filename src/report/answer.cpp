#include "report/answer.h"

#include "platform/console.h"

namespace dolv {

unsigned char readanswer(std::string_view accepted) {
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

void echo_answer(unsigned char key) {
    WRITE(static_cast<char>(key));
    WRITELN();
    WRITELN();
}

void write_name_pair(const ShortText& old_name, const ShortText& joiner,
                     const ShortText& new_name) {
    TEXTCOLOR(kColourOldName);
    WRITE(old_name);
    TEXTCOLOR(kColourNormal);
    WRITE(joiner);
    TEXTCOLOR(kColourNewName);
    WRITE(new_name);
    TEXTCOLOR(kColourNormal);
}

}  // namespace dolv
