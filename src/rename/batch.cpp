#include "rename/batch.h"

#include "base/byte_kinds.h"
#include "base/hot.h"
#include "names/case.h"
#include "names/items.h"
#include "names/merge.h"
#include "names/paths.h"
#include "names/presu.h"
#include "names/search.h"
#include "names/strings.h"
#include "names/validity.h"
#include "platform/console.h"
#include "platform/fs.h"
#include "rename/single.h"
#include "rename/walk.h"
#include "report/answer.h"
#include "report/channel.h"
#include "report/counters.h"
#include "report/err.h"
#include "report/settings.h"

namespace dolv {

namespace {

// "[1.234 bytes] A____": the size (-1 for a directory) and the attributes.
ShortText size_and_attr(const ShortText& path) {
    return "[" + DIM_PUNTO(EXIST(path)) + " bytes] " + ATTR(path);
}

// The confirmation of one item under /P.
void confirm_and_rename(const ShortText& dir, const SearchRec& rec, const ShortText& new_name) {
    const ShortText& name = rec.name;
    const ShortText path = dir + name;
    WRITE("Rinominare ");
    WRITE(F_D(path));
    WRITE(CONVERSION2(new_name));
    WRITELN(" ?");
    WRITE(size_and_attr(path));
    GOTOXY(53, WHEREY());
    WRITE("  [Si,No,Tutti,Annulla] ");
    unsigned char key = readanswer(
        "\x1b"
        "ANST");
    echo_answer(key);
    switch (key) {
        case 'N':
            return;
        case 'T':
            settings.SBS = false;
            [[fallthrough]];
        case 'S':
            DOREN(dir, name, new_name, rec.id);
            return;
        default:
            ERR(ErrorCode::kCancelled);
    }
}

// The two report lines of an item renamed without a question, then the
// rename. Kind, size and attributes are read by the search now; a silent
// run reads none of them.
DOLV_HOT void report_and_rename(const ShortText& dir, SearchRec& rec, const ShortText& new_name) {
    const ShortText& name = rec.name;
    if (!report_silent()) {
        // The fixed pieces are made once, not for every item.
        static const ShortText kRename("Rinomina "), kOfDir("della directory "),
            kOfFile("del file "), kIn(" in "), kOpen("["), kBytes(" bytes] ");
        finddetails(rec);
        const bool is_dir = (rec.attr & FA_DIRECTORY) != 0;
        WRITE2(kRename);
        WRITE2(is_dir ? kOfDir : kOfFile);
        TEXTCOLOR(kColourOldName);
        WRITE2(TRUNCPATH(dir + name, 35));
        TEXTCOLOR(kColourNormal);
        WRITE2(kIn);
        TEXTCOLOR(kColourNewName);
        WRITELN2(new_name);
        TEXTCOLOR(kColourNormal);
        ShortText sizes = kOpen;
        sizes += DIM_PUNTO(is_dir ? -1 : rec.size);
        sizes += kBytes;
        sizes += attr_text(rec.attr);
        WRITELN2(sizes);
    }
    DOREN(dir, name, new_name, rec.id);
}

}  // namespace

// The steps after the merge give their input back when their option is not
// given (REM_PRESU then only drops a final dot, which the merge never
// leaves), so a batch without them makes no copies for them.
NewNamePlan new_name_plan(const ShortText& pattern) {
    const Settings& s = settings;
    NewNamePlan plan;
    plan.pattern = merge_pattern(pattern);
    plan.conversion = s.MAIUSCOLO != '0';
    plan.removal = !s.REM_PREFISSO.empty() || !s.REM_SUFFISSO.empty();
    plan.addition = !s.PREFISSO.empty() || !s.SUFFISSO.empty();
    plan.fill = s.GIUSTIFICA == 'L' || s.GIUSTIFICA == 'R';
    return plan;
}

DOLV_HOT ShortText make_new_name(const ShortText& name, const NewNamePlan& plan) {
    const Settings& s = settings;
    ShortText n = FUSIONJOLLY(name, plan.pattern);
    if (plan.conversion) n = CONVERSION(n, s.MAIUSCOLO);
    if (plan.removal || n.last() == '.') n = REM_PRESU(n, s.REM_PREFISSO, s.REM_SUFFISSO);
    if (plan.addition) n = PRESU(n, s.PREFISSO, s.SUFFISSO);
    if (plan.fill) n = ALLINEA(n, s.GIUSTIFICA, s.NN);
    return n;
}

namespace {

// One examined entry: its new name, the checks, then the rename.
DOLV_HOT void rename_entry(const ShortText& dir, SearchRec& rec, const NewNamePlan& plan) {
    const ShortText& name = rec.name;
    freshline();
    const ShortText new_name = make_new_name(name, plan);
    // An old path over 255 bytes cannot be addressed: cut short, it could
    // name another item, which the rename would then move.
    if (!acceptable_new_name(dir, new_name) || dir.size() + name.size() > ShortText::kMax) {
        ERRPRESU(dir + name, new_name);
        return;
    }
    if (name == new_name || (settings.MAIUSCOLO == '0' && sametext(name, new_name))) {
        freshline();
        if (!settings.ESCLUDI && !report_silent())
            WRITELN2("File saltato: " + TRUNCPATH(dir + name, 60));
        counters.SALTATI++;
        return;
    }
    if (settings.SBS) {
        confirm_and_rename(dir, rec, new_name);
    } else {
        report_and_rename(dir, rec, new_name);
    }
}

// The bytes that would take a new name out of its directory.
constexpr ByteKinds leaving_bytes() {
    ByteKinds k;
    for (unsigned char c : std::string_view("\\/:")) k.of[c] = 1;
    return k;
}
constexpr ByteKinds kLeavingBytes = leaving_bytes();

}  // namespace

DOLV_HOT bool acceptable_new_name(const ShortText& dir, const ShortText& new_name) {
    // An empty name would make the directory itself the destination; a
    // separator or a drive colon would move the item out of its directory.
    if (new_name.empty() || kinds_in(new_name.view(), kLeavingBytes) != 0) return false;
    if (dir.size() + new_name.size() > ShortText::kMax) return false;
    return VALIDNAMEWIN(dir + new_name) == 0;
}

void RINOMINA(const ShortText& file1, const ShortText& file2) {
    counters.TOT = 0;
    counters.APPLY = 0;
    const ShortText source = source_path(file1);
    const ShortText dir = PATHOF(source);

    // The search reads the directory once; what it holds then is the bound.
    // The walk needs the names; sizes and attributes only for a report line.
    SearchRec rec;
    findfirst_walk(source, FA_ALL_BUT_LABELS, true, rec);
    const NewNamePlan plan = new_name_plan(file2);
    walk_entries(rec, search_count(rec), dir,
                 [&](SearchRec& entry) { rename_entry(dir, entry, plan); });
}

ShortText F_D(const ShortText& path) {
    WRITE(ISDIR(path) ? "la directory " : "il file ");
    TEXTCOLOR(kColourOldName);
    WRITE(TRUNCPATH(path, 35));
    TEXTCOLOR(kColourNormal);
    return ShortText();
}

}  // namespace dolv
