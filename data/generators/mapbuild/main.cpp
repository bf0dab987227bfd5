// mapbuild: writes a campaign map file from its readable description.
//   mapbuild <description.xml> <output file>
// Exits 1 with the reason when the description is refused or a file cannot
// be read or written.
#include "data/generators/mapbuild/MapBuilder.h"
#include "platform/os/Paths.h"

#include <cstdio>

int main(int argc, char** argv) {
    if (argc != 3) {
        std::fprintf(stderr, "usage: mapbuild <description.xml> <output file>\n");
        return 2;
    }
    std::string text, bytes, error;
    if (!Platform::ReadTextFile(argv[1], text, 4u << 20)) {
        std::fprintf(stderr, "mapbuild: %s cannot be read\n", argv[1]);
        return 1;
    }
    if (!MapBuild::BuildMapFile(text, bytes, error)) {
        std::fprintf(stderr, "mapbuild: %s: %s\n", argv[1], error.c_str());
        return 1;
    }
    if (!Platform::WriteFileAtomic(argv[2], bytes)) {
        std::fprintf(stderr, "mapbuild: %s cannot be written\n", argv[2]);
        return 1;
    }
    return 0;
}
