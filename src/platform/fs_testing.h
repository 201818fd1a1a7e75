// Test switches of the file-system layer. Not for the program itself.
#pragma once

namespace dolv {

// Makes rename_no_replace take the way it goes where the file system
// refuses an atomic rename without replacement (link and unlink for a file,
// a placeholder for a directory), as if renameat2 were missing. POSIX only.
void force_rename_fallback(bool on);
// Makes rename_no_replace take the way it goes where the file system
// refuses hard links as well (exFAT, FAT): the new name is taken by a
// placeholder first and the item renamed onto it. POSIX only.
void force_rename_placeholder(bool on);

}  // namespace dolv
