// Golden pictures for the tests: a frame the game drew is compared with a stored picture within a
// small tolerance, and written anew when VARNEL_UPDATE_GOLDEN is set in the environment (look at
// the new pictures before committing them).
#pragma once

#include <string>

#include "images/image.h"

// Writes the picture as an uncompressed 24-bit BMP file.
bool WriteBmp24(const Image& picture, const std::string& path);

// How far a frame lies from its golden picture.
struct PictureDifference {
    bool comparable = false;    // both pictures exist with the same size
    double meanDifference = 0;  // mean absolute difference per channel (0..255)
    double shareFarOff = 0;     // share of pixels with a channel more than 48 off
};

// Compares `frame` with the golden picture at `path`; with VARNEL_UPDATE_GOLDEN set, writes the
// frame there first.
PictureDifference CompareWithGolden(const Image& frame, const std::string& path);
