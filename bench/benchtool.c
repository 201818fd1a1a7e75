/* Helpers for bench/run.sh.
 *   benchtool fill DIR N      removes DIR if an earlier fill made it, makes it anew
 *                             (its parent must exist) and creates the empty files
 *                             f000000.txt .. f<N-1>.txt in it
 *   benchtool clear DIR       removes DIR if an earlier fill made it
 *   benchtool reset DIR N     gives every f*.bak in DIR its .txt name back and checks
 *                             that DIR holds the N files f*.txt and nothing else
 *   benchtool count DIR EXT   prints how many names in DIR end in EXT
 *   benchtool run FILE CMD ARGS...
 *                             runs the command and writes "<wall seconds> <peak RSS KiB>
 *                             <exit code>" to FILE; the command's own streams pass through */
#define _GNU_SOURCE
#include <dirent.h>
#include <fcntl.h>
#include <stdio.h>
#include <stdlib.h>
#include <string.h>
#include <sys/resource.h>
#include <sys/stat.h>
#include <sys/wait.h>
#include <time.h>
#include <unistd.h>

// Only a directory that this tool made (it holds the marker) is ever removed.
static const char kMarker[] = ".dolv-bench-dir";

// Removes DIR, made by fill, with the plain entries in it; nothing when DIR is absent.
static int clear(const char* path) {
    int fd = open(path, O_RDONLY | O_DIRECTORY);
    if (fd < 0) return 0;
    if (faccessat(fd, kMarker, F_OK, 0) != 0) {
        fprintf(stderr, "benchtool: %s was not made by benchtool; not touching it\n", path);
        return 1;
    }
    DIR* dir = fdopendir(dup(fd));
    struct dirent* e;
    while ((e = readdir(dir)) != NULL) {
        if (strcmp(e->d_name, ".") == 0 || strcmp(e->d_name, "..") == 0) continue;
        if (unlinkat(fd, e->d_name, 0) != 0) {
            perror("benchtool: unlink");
            return 1;
        }
    }
    closedir(dir);
    close(fd);
    if (rmdir(path) != 0) {
        perror("benchtool: rmdir");
        return 1;
    }
    return 0;
}

// A new directory DIR (a directory that has seen many renames grows slow on
// some file systems, so every run gets a fresh one) with N empty files.
static int fill(const char* path, long n) {
    if (clear(path) != 0) return 1;
    if (mkdir(path, 0755) != 0) {
        perror("benchtool: mkdir");
        return 1;
    }
    int fd = open(path, O_RDONLY | O_DIRECTORY);
    if (fd < 0) {
        perror("benchtool: open dir");
        return 1;
    }
    int m = openat(fd, kMarker, O_CREAT | O_WRONLY, 0644);
    if (m < 0) {
        perror("benchtool: marker");
        return 1;
    }
    close(m);
    char name[32];
    for (long i = 0; i < n; ++i) {
        snprintf(name, sizeof name, "f%06ld.txt", i);
        int f = openat(fd, name, O_CREAT | O_WRONLY | O_EXCL, 0644);
        if (f < 0) {
            perror("benchtool: create");
            return 1;
        }
        close(f);
    }
    close(fd);
    return 0;
}

static int is_bench_name(const char* name, const char* ext) {
    return name[0] == 'f' && strlen(name) == 11 && strcmp(name + 7, ext) == 0;
}

static int reset(const char* path, long n) {
    int fd = open(path, O_RDONLY | O_DIRECTORY);
    if (fd < 0 || faccessat(fd, kMarker, F_OK, 0) != 0) {
        fprintf(stderr, "benchtool: %s was not made by benchtool\n", path);
        return 1;
    }
    // First every .bak gets its .txt name back (a renamed entry that the
    // listing shows again is a .txt and left alone), then a second listing counts.
    DIR* dir = fdopendir(dup(fd));
    struct dirent* e;
    char target[256];
    while ((e = readdir(dir)) != NULL) {
        if (!is_bench_name(e->d_name, ".bak")) continue;
        memcpy(target, e->d_name, 7);
        memcpy(target + 7, ".txt", 5);
        if (renameat2(fd, e->d_name, fd, target, RENAME_NOREPLACE) != 0) {
            perror("benchtool: rename back");
            return 1;
        }
    }
    rewinddir(dir);
    long txt = 0, other = 0;
    while ((e = readdir(dir)) != NULL) {
        if (strcmp(e->d_name, ".") == 0 || strcmp(e->d_name, "..") == 0 ||
            strcmp(e->d_name, kMarker) == 0)
            continue;
        if (is_bench_name(e->d_name, ".txt"))
            ++txt;
        else
            ++other;
    }
    closedir(dir);
    close(fd);
    if (txt != n || other != 0) {
        fprintf(stderr, "benchtool: %s holds %ld files f*.txt and %ld others, not %ld and 0\n",
                path, txt, other, n);
        return 1;
    }
    return 0;
}

static int count(const char* path, const char* ext) {
    DIR* dir = opendir(path);
    if (!dir) {
        perror("benchtool: opendir");
        return 1;
    }
    size_t k = strlen(ext);
    long total = 0;
    struct dirent* e;
    while ((e = readdir(dir)) != NULL) {
        size_t n = strlen(e->d_name);
        if (n >= k && strcmp(e->d_name + n - k, ext) == 0) ++total;
    }
    closedir(dir);
    printf("%ld\n", total);
    return 0;
}

static int run(const char* result, char** argv) {
    struct timespec t0, t1;
    clock_gettime(CLOCK_MONOTONIC, &t0);
    pid_t pid = fork();
    if (pid < 0) {
        perror("benchtool: fork");
        return 1;
    }
    if (pid == 0) {
        execvp(argv[0], argv);
        perror("benchtool: exec");
        _exit(127);
    }
    int status = 0;
    struct rusage usage;
    if (wait4(pid, &status, 0, &usage) < 0) {
        perror("benchtool: wait4");
        return 1;
    }
    clock_gettime(CLOCK_MONOTONIC, &t1);
    double wall = (double)(t1.tv_sec - t0.tv_sec) + (double)(t1.tv_nsec - t0.tv_nsec) / 1e9;
    int code = WIFEXITED(status) ? WEXITSTATUS(status) : 128 + WTERMSIG(status);
    FILE* out = fopen(result, "w");
    if (!out) {
        perror("benchtool: result file");
        return 1;
    }
    fprintf(out, "%.6f %ld %d\n", wall, usage.ru_maxrss, code);
    return fclose(out) == 0 ? 0 : 1;
}

int main(int argc, char** argv) {
    if (argc >= 4 && strcmp(argv[1], "fill") == 0) return fill(argv[2], atol(argv[3]));
    if (argc >= 3 && strcmp(argv[1], "clear") == 0) return clear(argv[2]);
    if (argc >= 4 && strcmp(argv[1], "reset") == 0) return reset(argv[2], atol(argv[3]));
    if (argc >= 4 && strcmp(argv[1], "count") == 0) return count(argv[2], argv[3]);
    if (argc >= 4 && strcmp(argv[1], "run") == 0) return run(argv[2], argv + 3);
    fprintf(stderr,
            "usage: benchtool fill DIR N | clear DIR | reset DIR N | count DIR EXT | run FILE CMD "
            "ARGS...\n");
    return 2;
}
