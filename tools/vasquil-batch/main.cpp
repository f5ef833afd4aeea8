// vasquil-batch: headless runs of the engine.
#include <cstdio>
#include <cstring>

int main(int argc, char** argv)
{
    if (argc < 2 || std::strcmp(argv[1], "--help") == 0) {
        std::fprintf(stderr, "usage: vasquil-batch run MODEL.vqx\n");
        return argc < 2 ? 2 : 0;
    }
    std::fprintf(stderr, "vasquil-batch: unknown command '%s'\n", argv[1]);
    return 2;
}
