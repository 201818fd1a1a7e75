// The preview (/S): the run goes its usual way, but each rename is judged
// against the names the earlier renames of the run would have freed or
// taken, and is then only recorded. Nothing on disk changes.
#pragma once

#include "base/short_text.h"

namespace dolv {

// Forgets every recorded rename: the names are those on disk.
void preview_clear();
// True when a rename of from to to would find to held by another item:
// one that an earlier rename of the preview moved there, or one on disk
// whose name no earlier rename freed.
bool preview_blocked(const ShortText& from, const ShortText& to);
// Records the rename of from to to: from is free from now on, to taken.
void preview_move(const ShortText& from, const ShortText& to);
// The rename of one item of the batch or of the terminal mode, judged and
// recorded, with the line that stands for the question or the refusal the
// real run would meet at an existing destination.
void preview_rename(const ShortText& source, const ShortText& destination);
// The line in place of a question the real run would ask here.
void preview_asks(const ShortText& line);
// The closing line of a preview; of_total adds the number of items examined.
ShortText preview_summary(bool of_total);

}  // namespace dolv
