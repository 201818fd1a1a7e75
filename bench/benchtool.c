/* Helpers for bench/run.sh.
 *   benchtool fill DIR N      makes DIR (its parent must exist) or empties a DIR
 *                             it made before, then creates the empty files
 *                             f000000.txt .. f<N-1>.txt in it
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

// Only a directory that this tool made (it holds the marker) is ever emptied.
static const char kMarker[] = ".dolv-bench-dir";

static int fill(const char* path, long n) {
    int made = mkdir(path, 0755) == 0;
    int fd = open(path, O_RDONLY | O_DIRECTORY);
    if (fd < 0) {
        perror("benchtool: open dir");
        return 1;
    }
    if (made) {
        int m = openat(fd, kMarker, O_CREAT | O_WRONLY, 0644);
        if (m < 0) {
            perror("benchtool: marker");
            return 1;
        }
        close(m);
    } else if (faccessat(fd, kMarker, F_OK, 0) != 0) {
        fprintf(stderr, "benchtool: %s was not made by benchtool; not touching it\n", path);
        return 1;
    }
    DIR* dir = fdopendir(dup(fd));
    struct dirent* e;
    while ((e = readdir(dir)) != NULL) {
        if (strcmp(e->d_name, ".") == 0 || strcmp(e->d_name, "..") == 0 ||
            strcmp(e->d_name, kMarker) == 0)
            continue;
        if (unlinkat(fd, e->d_name, 0) != 0) {
            perror("benchtool: unlink");
            return 1;
        }
    }
    closedir(dir);
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
    if (argc >= 4 && strcmp(argv[1], "count") == 0) return count(argv[2], argv[3]);
    if (argc >= 4 && strcmp(argv[1], "run") == 0) return run(argv[2], argv + 3);
    fprintf(stderr, "usage: benchtool fill DIR N | count DIR EXT | run FILE CMD ARGS...\n");
    return 2;
}
