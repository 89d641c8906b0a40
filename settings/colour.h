// A colour as the configuration file and the views hold it: red, green, blue and alpha bytes.
#pragma once

#include <cstdint>

struct Colour {
    std::uint8_t red = 0;
    std::uint8_t green = 0;
    std::uint8_t blue = 0;
    std::uint8_t alpha = 255;
    friend bool operator==(const Colour&, const Colour&) = default;
};
