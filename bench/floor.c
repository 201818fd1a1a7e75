/* The floor of a batch rename: one read of the current directory, then one
 * renameat2(RENAME_NOREPLACE) per name ending in ".txt" to the same name
 * ending in ".bak". Nothing is printed. This is what any renamer must at
 * least do, so the benchmark measures DOLV against it. */
#define _GNU_SOURCE
#include <dirent.h>
#include <fcntl.h>
#include <stdio.h>
#include <stdlib.h>
#include <string.h>
#include <unistd.h>

int main(void) {
    DIR* dir = opendir(".");
    if (!dir) {
        perror("floor: opendir");
        return 1;
    }
    size_t count = 0, cap = 1024, used = 0, room = 1 << 20;
    char* pool = malloc(room);
    size_t* offsets = malloc(cap * sizeof *offsets);
    if (!pool || !offsets) return 1;
    struct dirent* e;
    while ((e = readdir(dir)) != NULL) {
        size_t n = strlen(e->d_name);
        if (n < 4 || strcmp(e->d_name + n - 4, ".txt") != 0) continue;
        if (used + n + 1 > room) {
            room *= 2;
            pool = realloc(pool, room);
            if (!pool) return 1;
        }
        if (count == cap) {
            cap *= 2;
            offsets = realloc(offsets, cap * sizeof *offsets);
            if (!offsets) return 1;
        }
        memcpy(pool + used, e->d_name, n + 1);
        offsets[count++] = used;
        used += n + 1;
    }
    int fd = dirfd(dir);
    int failed = 0;
    char target[256];
    for (size_t i = 0; i < count; ++i) {
        const char* name = pool + offsets[i];
        size_t n = strlen(name);
        memcpy(target, name, n - 4);
        memcpy(target + n - 4, ".bak", 5);
        if (renameat2(fd, name, fd, target, RENAME_NOREPLACE) != 0) ++failed;
    }
    closedir(dir);
    free(pool);
    free(offsets);
    if (failed) fprintf(stderr, "floor: %d renames failed\n", failed);
    return failed ? 1 : 0;
}
