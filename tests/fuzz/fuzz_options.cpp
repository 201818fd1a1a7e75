// The argument reader, both readings. The input is the argument list, one
// argument per line. Reading either returns with Settings in a consistent
// state, or ends the run through ERR (with one of its messages) or the help
// screen, always with exit code 1.
// needs: run/options.h
#include <cstddef>
#include <cstdint>
#include <cstdlib>
#include <string>
#include <vector>

#include "fakes/fake_console.h"
#include "report/settings.h"
#include "run/options.h"

namespace {

void check(bool ok) {
    if (!ok) std::abort();
}

bool has_lower(const dolv::ShortText& t) {
    for (int i = 1; i <= t.size(); ++i)
        if (t.at(i) >= 'a' && t.at(i) <= 'z') return true;
    return false;
}

// An operand is the first segment of one argument.
bool starts_an_argument(const dolv::ShortText& t, const std::vector<std::string>& args) {
    for (const std::string& a : args) {
        const dolv::ShortText arg(a);
        if (arg.left(t.size()) == t) return true;
    }
    return false;
}

// A run the reader ended: code 1, with the help screen or one of its messages.
void check_ended(const dolv::fake::Halted& h) {
    check(h.code == 1);
    const std::string& out = dolv::fake::Console::Text();
    const bool help = dolv::fake::Console::KeysRead() > 0;
    const bool bad_option = out.find("Opzione non valida: ") != std::string::npos;
    const bool bad_value = out.find("Valore non valido per l'opzione: ") != std::string::npos;
    const bool ambiguous = out.find("Argomento ambiguo: ") != std::string::npos;
    check(help || bad_option || bad_value || ambiguous);
}

// What either reading leaves in Settings.
void check_settings(const std::vector<std::string>& args) {
    // At most 255 arguments are read, none of them over 255 bytes.
    check(args.size() <= 255);
    for (const std::string& a : args) check(a.size() <= 255);
    const dolv::Settings& s = dolv::settings;
    check(s.MAIUSCOLO == '0' || s.MAIUSCOLO == '+' || s.MAIUSCOLO == '-');
    check(s.ACCODA == 'A' || s.ACCODA == 'C' || s.ACCODA == 'E' || s.ACCODA == 'S');
    check(s.GIUSTIFICA == 0 || s.GIUSTIFICA == 'L' || s.GIUSTIFICA == 'R');
    if (s.GIUSTIFICA != 0) check(s.NN >= 2 && s.NN <= 255);
    check(!has_lower(s.REM_PREFISSO) && !has_lower(s.REM_SUFFISSO));
    check(s.OUTFILE.empty() || s.OUTFILE.at(1) == '+');
    // Option texts end at the next '/'.
    for (const dolv::ShortText* t : {&s.PREFISSO, &s.SUFFISSO, &s.REM_PREFISSO, &s.REM_SUFFISSO})
        check(!t->contains('/'));
    check(!(s.FILE1.empty() && !s.FILE2.empty()));
}

// The Windows reading: every '/' starts a segment, and an operand is the
// first segment of its argument.
void read_windows_way(const std::vector<std::string>& args) {
    dolv::fake::Console::Reset();
    dolv::reset_settings();
    try {
        dolv::read_arguments(args, false);
    } catch (const dolv::fake::Halted& h) {
        check_ended(h);
        return;
    }
    check_settings(args);
    const dolv::Settings& s = dolv::settings;
    check(s.OUTFILE.find('/', 2) == 0);
    check(s.FILE1.empty() || starts_an_argument(s.FILE1, args));
    check(s.FILE2.empty() || starts_an_argument(s.FILE2, args));
    // A segment after a '/' never becomes an operand.
    check(s.FILE1.find('/', 2) == 0 && s.FILE2.find('/', 2) == 0);
}

// The POSIX reading: '/' separates the path before the trailing options,
// and the program holds that path with '\\' only.
void read_posix_way(const std::vector<std::string>& args) {
    dolv::fake::Console::Reset();
    dolv::reset_settings();
    try {
        dolv::read_arguments(args, true);
    } catch (const dolv::fake::Halted& h) {
        check_ended(h);
        return;
    }
    check_settings(args);
    const dolv::Settings& s = dolv::settings;
    check(!s.FILE1.contains('/') && !s.FILE2.contains('/') && !s.OUTFILE.contains('/'));
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    std::vector<std::string> args;
    std::string arg;
    for (size_t i = 0; i < size; ++i) {
        if (data[i] == '\n') {
            args.push_back(arg);
            arg.clear();
        } else {
            arg += static_cast<char>(data[i]);
        }
    }
    if (size) args.push_back(arg);

    read_windows_way(args);
    read_posix_way(args);
    return 0;
}
