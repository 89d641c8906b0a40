// An OpenGL context of its own with an offscreen framebuffer, for the GL renderer's tests and
// benchmarks: Mesa's surfaceless EGL platform, so it needs neither a window nor a display.
#pragma once

#include <memory>
#include <string>

#include "images/image.h"

struct GlOffscreenState;

class GlOffscreen {
public:
    GlOffscreen();
    ~GlOffscreen();
    GlOffscreen(const GlOffscreen&) = delete;
    GlOffscreen& operator=(const GlOffscreen&) = delete;

    // Makes a compatibility-profile context current with a framebuffer of width x height pixels
    // (colour and 24-bit depth) bound for drawing. False, with the reason, when the machine has
    // no such context.
    bool Create(int width, int height);
    const std::string& Failure() const { return failure_; }
    // The GL_RENDERER string of the context.
    std::string RendererName() const;
    // The framebuffer as the game's pictures are: 4 bytes per pixel (blue, green, red, 255),
    // rows top-down.
    Image ReadFrame() const;
    int Width() const { return width_; }
    int Height() const { return height_; }

private:
    std::unique_ptr<GlOffscreenState> state_;
    std::string failure_;
    int width_ = 0;
    int height_ = 0;
};
