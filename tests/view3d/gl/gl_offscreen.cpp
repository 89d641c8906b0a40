#include "tests/view3d/gl/gl_offscreen.h"

#include <EGL/egl.h>
#include <EGL/eglext.h>
#include <GL/gl.h>
#include <GL/glext.h>

#include <cstring>

struct GlOffscreenState {
    EGLDisplay display = EGL_NO_DISPLAY;
    EGLContext context = EGL_NO_CONTEXT;
    GLuint framebuffer = 0;
    GLuint colour = 0;
    GLuint depth = 0;
    PFNGLGENFRAMEBUFFERSEXTPROC genFramebuffers = nullptr;
    PFNGLBINDFRAMEBUFFEREXTPROC bindFramebuffer = nullptr;
    PFNGLDELETEFRAMEBUFFERSEXTPROC deleteFramebuffers = nullptr;
    PFNGLGENRENDERBUFFERSEXTPROC genRenderbuffers = nullptr;
    PFNGLBINDRENDERBUFFEREXTPROC bindRenderbuffer = nullptr;
    PFNGLDELETERENDERBUFFERSEXTPROC deleteRenderbuffers = nullptr;
    PFNGLRENDERBUFFERSTORAGEEXTPROC renderbufferStorage = nullptr;
    PFNGLFRAMEBUFFERRENDERBUFFEREXTPROC framebufferRenderbuffer = nullptr;
    PFNGLCHECKFRAMEBUFFERSTATUSEXTPROC checkFramebufferStatus = nullptr;
};

namespace {

template <typename Function>
bool Resolve(Function& function, const char* name) {
    function = reinterpret_cast<Function>(eglGetProcAddress(name));
    return function != nullptr;
}

}  // namespace

GlOffscreen::GlOffscreen() : state_(std::make_unique<GlOffscreenState>()) {}

GlOffscreen::~GlOffscreen() {
    GlOffscreenState& s = *state_;
    if (s.context != EGL_NO_CONTEXT) {
        if (s.framebuffer != 0) {
            s.bindFramebuffer(GL_FRAMEBUFFER_EXT, 0);
            s.deleteFramebuffers(1, &s.framebuffer);
            s.deleteRenderbuffers(1, &s.colour);
            s.deleteRenderbuffers(1, &s.depth);
        }
        eglMakeCurrent(s.display, EGL_NO_SURFACE, EGL_NO_SURFACE, EGL_NO_CONTEXT);
        eglDestroyContext(s.display, s.context);
    }
    if (s.display != EGL_NO_DISPLAY) {
        eglTerminate(s.display);
    }
}

bool GlOffscreen::Create(int width, int height) {
    GlOffscreenState& s = *state_;
    PFNEGLGETPLATFORMDISPLAYEXTPROC getPlatformDisplay = nullptr;
    if (!Resolve(getPlatformDisplay, "eglGetPlatformDisplayEXT")) {
        failure_ = "no EGL platform displays";
        return false;
    }
    s.display = getPlatformDisplay(EGL_PLATFORM_SURFACELESS_MESA, EGL_DEFAULT_DISPLAY, nullptr);
    EGLint major = 0;
    EGLint minor = 0;
    if (s.display == EGL_NO_DISPLAY || !eglInitialize(s.display, &major, &minor)) {
        failure_ = "no surfaceless EGL display";
        s.display = EGL_NO_DISPLAY;
        return false;
    }
    if (!eglBindAPI(EGL_OPENGL_API)) {
        failure_ = "EGL offers no desktop OpenGL";
        return false;
    }
    const EGLint attributes[] = {EGL_CONTEXT_OPENGL_PROFILE_MASK,
                                 EGL_CONTEXT_OPENGL_COMPATIBILITY_PROFILE_BIT, EGL_NONE};
    s.context = eglCreateContext(s.display, EGL_NO_CONFIG_KHR, EGL_NO_CONTEXT, attributes);
    if (s.context == EGL_NO_CONTEXT ||
        !eglMakeCurrent(s.display, EGL_NO_SURFACE, EGL_NO_SURFACE, s.context)) {
        failure_ = "no compatibility-profile context";
        return false;
    }
    if (!Resolve(s.genFramebuffers, "glGenFramebuffersEXT") ||
        !Resolve(s.bindFramebuffer, "glBindFramebufferEXT") ||
        !Resolve(s.deleteFramebuffers, "glDeleteFramebuffersEXT") ||
        !Resolve(s.genRenderbuffers, "glGenRenderbuffersEXT") ||
        !Resolve(s.bindRenderbuffer, "glBindRenderbufferEXT") ||
        !Resolve(s.deleteRenderbuffers, "glDeleteRenderbuffersEXT") ||
        !Resolve(s.renderbufferStorage, "glRenderbufferStorageEXT") ||
        !Resolve(s.framebufferRenderbuffer, "glFramebufferRenderbufferEXT") ||
        !Resolve(s.checkFramebufferStatus, "glCheckFramebufferStatusEXT")) {
        failure_ = "no framebuffer objects";
        return false;
    }
    s.genRenderbuffers(1, &s.colour);
    s.bindRenderbuffer(GL_RENDERBUFFER_EXT, s.colour);
    s.renderbufferStorage(GL_RENDERBUFFER_EXT, GL_RGBA8, width, height);
    s.genRenderbuffers(1, &s.depth);
    s.bindRenderbuffer(GL_RENDERBUFFER_EXT, s.depth);
    s.renderbufferStorage(GL_RENDERBUFFER_EXT, GL_DEPTH_COMPONENT24, width, height);
    s.genFramebuffers(1, &s.framebuffer);
    s.bindFramebuffer(GL_FRAMEBUFFER_EXT, s.framebuffer);
    s.framebufferRenderbuffer(GL_FRAMEBUFFER_EXT, GL_COLOR_ATTACHMENT0_EXT, GL_RENDERBUFFER_EXT,
                              s.colour);
    s.framebufferRenderbuffer(GL_FRAMEBUFFER_EXT, GL_DEPTH_ATTACHMENT_EXT, GL_RENDERBUFFER_EXT,
                              s.depth);
    if (s.checkFramebufferStatus(GL_FRAMEBUFFER_EXT) != GL_FRAMEBUFFER_COMPLETE_EXT) {
        failure_ = "framebuffer incomplete";
        return false;
    }
    glViewport(0, 0, width, height);
    width_ = width;
    height_ = height;
    return true;
}

std::string GlOffscreen::RendererName() const {
    const auto* name = reinterpret_cast<const char*>(glGetString(GL_RENDERER));
    return name != nullptr ? name : "";
}

Image GlOffscreen::ReadFrame() const {
    Image frame;
    if (width_ <= 0 || !frame.Create(width_, height_, 4)) {
        return frame;
    }
    glFinish();
    glPixelStorei(GL_PACK_ALIGNMENT, 4);
    // OpenGL's rows run bottom-up: read each into its place from the top.
    for (int y = 0; y < height_; ++y) {
        glReadPixels(0, height_ - 1 - y, width_, 1, GL_BGRA, GL_UNSIGNED_BYTE, frame.Row(y));
    }
    return frame;
}
