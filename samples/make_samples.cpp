// Writes the sample data set (samples/sample_files.h) into a folder:
//
//   make_samples FOLDER
//
// The files committed in samples/ are its output.
#include <cstdio>

#include "samples/sample_files.h"

int main(int argc, char** argv) {
    if (argc != 2) {
        std::fprintf(stderr, "usage: %s FOLDER\n", argv[0]);
        return 2;
    }
    FileWriteResult r = WriteSampleTexts(argv[1]);
    if (r.Ok()) r = WriteSamplePicture(argv[1]);
    if (!r.Ok()) {
        std::fprintf(stderr, "%s: %s\n", argv[1], r.reason.c_str());
        return 1;
    }
    return 0;
}
