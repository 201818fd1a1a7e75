// One rename inside its directory, with every conflict question.
#pragma once

#include "base/short_text.h"
#include "platform/fs.h"

namespace dolv {

// Renames P+O to P+N, settling an existing destination or a refusal; raises
// exactly one of APPLY and NEGATI, or ends the run on a cancel. id is the
// item's identity for the journal, where the search gave it.
void DOREN(const ShortText& P, const ShortText& O, const ShortText& N, const ItemId& id = ItemId());
// Reports a new name refused by the name checks.
void ERRPRESU(const ShortText& old_path, const ShortText& new_name);
unsigned char MESSERR(const ShortText& old_path, const ShortText& new_name);
unsigned char PREESISTENTE();

}  // namespace dolv
