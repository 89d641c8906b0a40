// TGA pictures: the reader, then the tile-set cutting and resampling.
#include "fuzz/picture_target.h"

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    FuzzPicture("fuzz.tga", data, size);
    return 0;
}
