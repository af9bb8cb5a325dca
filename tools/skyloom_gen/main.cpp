// skyloom-gen: writes a synthetic receiver stream for benchmarks and tests.
#include <cerrno>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <string>

#if defined(_WIN32)
#include <fcntl.h>
#include <io.h>
#endif

#include "tools/skyloom_gen/stream_generator.h"

int main(int argc, char** argv) {
    if (argc != 3) {
        std::fprintf(stderr, "usage: skyloom-gen CYCLES FILE  (FILE - writes standard output)\n");
        return 2;
    }
    char* end = nullptr;
    errno = 0;
    const long long cycles = std::strtoll(argv[1], &end, 10);
    if (errno != 0 || end == argv[1] || *end != 0 || cycles < 0) {
        std::fprintf(stderr, "skyloom-gen: bad number of cycles: '%s'\n", argv[1]);
        return 2;
    }
#if defined(_WIN32)
    _setmode(_fileno(stdout), _O_BINARY);
#endif
    const bool toStdout = std::strcmp(argv[2], "-") == 0;
    std::FILE* out = toStdout ? stdout : std::fopen(argv[2], "wb");
    if (out == nullptr) {
        std::fprintf(stderr, "skyloom-gen: cannot create '%s': %s\n", argv[2],
                     std::strerror(errno));
        return 1;
    }
    StreamGenerator generator;
    std::string chunk;
    bool ok = true;
    for (long long c = 0; c < cycles && ok; ++c) {
        generator.AppendCycle(&chunk);
        if (chunk.size() >= (1u << 20) || c + 1 == cycles) {
            ok = std::fwrite(chunk.data(), 1, chunk.size(), out) == chunk.size();
            chunk.clear();
        }
    }
    ok = std::fflush(out) == 0 && ok;
    if (!toStdout)
        ok = std::fclose(out) == 0 && ok;
    if (!ok) {
        std::fprintf(stderr, "skyloom-gen: cannot write '%s'\n", argv[2]);
        if (!toStdout)
            std::remove(argv[2]);
        return 1;
    }
    return 0;
}
