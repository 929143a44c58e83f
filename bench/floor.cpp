// The floor of a load: the least a program must do with a data file, read it
// in blocks of 1 MiB and count its TABs and line ends. Prints both counts.
//   load_floor FILE
//   load_floor --keep FILE
// With --keep the blocks are read into fresh memory of the file's size and
// kept there, with the same large-page hint the program gives its table: the
// least a program that holds the file's text must do.
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <vector>

#ifdef __linux__
#include <sys/mman.h>
#endif

int main(int argc, char* argv[]) {
    const bool keep = argc == 3 && std::strcmp(argv[1], "--keep") == 0;
    if (argc != 2 && !keep) {
        fputs("usage: load_floor [--keep] FILE\n", stderr);
        return 64;
    }
    const char* path = argv[argc - 1];
    FILE* file = fopen(path, "rb");
    if (!file) {
        perror(path);
        return 66;
    }
    setvbuf(file, nullptr, _IONBF, 0);
    static char block[1 << 20];
    size_t room = sizeof block;
    char* kept = nullptr;
    if (keep && fseek(file, 0, SEEK_END) == 0) {
        room = static_cast<size_t>(ftell(file)) + 1;
        rewind(file);
        kept = static_cast<char*>(std::malloc(room));
        if (!kept) {
            perror("memory");
            return 71;
        }
#if defined(__linux__) && defined(MADV_HUGEPAGE)
        const size_t page = size_t(2) << 20;
        const size_t begin = (reinterpret_cast<size_t>(kept) + page - 1) & ~(page - 1);
        const size_t end = (reinterpret_cast<size_t>(kept) + room) & ~(page - 1);
        if (end > begin) madvise(reinterpret_cast<void*>(begin), end - begin, MADV_HUGEPAGE);
#endif
    }
    unsigned long long tabs = 0, lines = 0;
    size_t at = 0, got;
    for (;;) {
        char* into = kept ? kept + at : block;
        const size_t want = kept ? std::min(sizeof block, room - at) : sizeof block;
        if (want == 0 || (got = fread(into, 1, want, file)) == 0) break;
        for (size_t i = 0; i < got; ++i) {
            tabs += into[i] == '\t';
            lines += into[i] == '\n';
        }
        if (kept) at += got;
    }
    if (ferror(file)) {
        perror(path);
        return 74;
    }
    fclose(file);
    printf("%llu TABs, %llu line ends\n", tabs, lines);
    std::free(kept);
    return 0;
}
