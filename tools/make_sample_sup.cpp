// Writes a small sample ".sup" file (three subtitles) for the demo.
#include <cstdio>

#include "tools/sample_stream.h"

int main(int argc, char** argv) {
    constexpr int SampleBlocks = 3;
    if (argc != 2) {
        std::fprintf(stderr, "Usage: make_sample_sup output.sup\n");
        return 2;
    }
    if (!ostrel::WriteSampleStream(argv[1], SampleBlocks)) {
        std::fprintf(stderr, "make_sample_sup: cannot write \"%s\"\n", argv[1]);
        return 1;
    }
    return 0;
}
