// The floor of a load: the least a program must do with a data file, read it
// in blocks of 1 MiB and count its TABs and line ends. Prints both counts.
//   load_floor FILE
#include <cstdio>

int main(int argc, char* argv[]) {
    static char block[1 << 20];
    unsigned long long tabs = 0, lines = 0;
    FILE* file;
    size_t got;
    if (argc != 2) {
        fputs("usage: load_floor FILE\n", stderr);
        return 64;
    }
    file = fopen(argv[1], "rb");
    if (!file) {
        perror(argv[1]);
        return 66;
    }
    setvbuf(file, nullptr, _IONBF, 0);
    while ((got = fread(block, 1, sizeof block, file)) > 0) {
        size_t i;
        for (i = 0; i < got; ++i) {
            tabs += block[i] == '\t';
            lines += block[i] == '\n';
        }
    }
    if (ferror(file)) {
        perror(argv[1]);
        return 74;
    }
    fclose(file);
    printf("%llu TABs, %llu line ends\n", tabs, lines);
    return 0;
}
