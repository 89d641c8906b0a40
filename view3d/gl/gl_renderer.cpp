// The board3d_gl renderer: a frame plan drawn through OpenGL 1.1 display lists in the game's
// order, with the embossed relief of the faces when it is on.

#include "view3d/gl/gl_renderer.h"

#include <GL/gl.h>

#include <cassert>
#include <cstring>

namespace {

// Pixel formats of the BGR extension: the images hold blue, green, red (and alpha) bytes.
constexpr GLenum kBgr = 0x80E0;   // GL_BGR_EXT
constexpr GLenum kBgra = 0x80E1;  // GL_BGRA_EXT

void SetColour(std::uint32_t argb) {
    glColor4ub(static_cast<GLubyte>(argb >> 16), static_cast<GLubyte>(argb >> 8),
               static_cast<GLubyte>(argb), static_cast<GLubyte>(argb >> 24));
}

// Both math kits lay a matrix out the same way: the game's row-major matrix for row vectors is
// OpenGL's column-major matrix for column vectors.
void LoadMatrix(const Matrix4& matrix) {
    glLoadMatrixf(matrix.m);
}

void EmitTriangles(const TileVertices& vertices, const PieceRange& piece, bool textured) {
    glBegin(GL_TRIANGLES);
    for (int k = piece.first; k < piece.End(); ++k) {
        const TileVertex& vertex = vertices[static_cast<std::size_t>(k)];
        if (textured) {
            glTexCoord2f(vertex.u, vertex.v);
        }
        glVertex3f(vertex.x, vertex.y, vertex.z);
    }
    glEnd();
}

// Uploads a 3- or 4-byte picture, rows top-down and padded to four bytes, into the bound
// texture. False when the context refused it (size or memory).
bool UploadPicture(const Image& picture) {
    while (glGetError() != GL_NO_ERROR) {
    }
    const GLint bytes = static_cast<GLint>(picture.BytesPerPixel());
    if (!picture.HasPixels() || (bytes != 3 && bytes != 4)) {
        return false;
    }
    glPushClientAttrib(GL_CLIENT_PIXEL_STORE_BIT);
    glPixelStorei(GL_UNPACK_ALIGNMENT, 4);
    glPixelStorei(GL_UNPACK_ROW_LENGTH, 0);
    glPixelStorei(GL_UNPACK_SKIP_ROWS, 0);
    glPixelStorei(GL_UNPACK_SKIP_PIXELS, 0);
    glPixelStorei(GL_UNPACK_SWAP_BYTES, GL_FALSE);
    glPixelStorei(GL_UNPACK_LSB_FIRST, GL_FALSE);
    glTexImage2D(GL_TEXTURE_2D, 0, bytes, picture.Width(), picture.Height(), 0,
                 bytes == 3 ? kBgr : kBgra, GL_UNSIGNED_BYTE, picture.Pixels());
    glPopClientAttrib();
    return glGetError() == GL_NO_ERROR;
}

void SetLinearFilters() {
    glTexParameteri(GL_TEXTURE_2D, GL_TEXTURE_MAG_FILTER, GL_LINEAR);
    glTexParameteri(GL_TEXTURE_2D, GL_TEXTURE_MIN_FILTER, GL_LINEAR);
}

}  // namespace

Matrix4 GlProjectionMatrix(const Matrix4& projection) {
    // Clip depth z' = 2z - w: coplanar pieces and their offsets then behave as in the software
    // edition, which keeps the depth the projection gives.
    Matrix4 result = projection;
    for (int row = 0; row < 4; ++row) {
        result.At(row, 2) = 2.0f * projection.At(row, 2) - projection.At(row, 3);
    }
    return result;
}

int AccelerationClassOf(const char* rendererName) {
    if (rendererName == nullptr) {
        return kSoftwareAcceleration;
    }
    for (const char* software : {"llvmpipe", "softpipe", "swrast"}) {
        if (std::strstr(rendererName, software) != nullptr) {
            return kSoftwareAcceleration;
        }
    }
    return kDeviceAcceleration;
}

GlContextInfo QueryCurrentContext() {
    GlContextInfo info;
    const auto* version = reinterpret_cast<const char*>(glGetString(GL_VERSION));
    const auto* renderer = reinterpret_cast<const char*>(glGetString(GL_RENDERER));
    info.usable = version != nullptr && version[0] != '\0';
    info.version = version != nullptr ? version : "";
    info.rendererName = renderer != nullptr ? renderer : "";
    info.accelerationClass = AccelerationClassOf(renderer);
    GLint size = 0;
    if (info.usable) {
        glGetIntegerv(GL_MAX_TEXTURE_SIZE, &size);
    }
    info.maxTextureSize = size;
    return info;
}

void ClearFrame(std::uint32_t argb) {
    glPushAttrib(GL_COLOR_BUFFER_BIT | GL_DEPTH_BUFFER_BIT | GL_SCISSOR_BIT);
    glDisable(GL_SCISSOR_TEST);
    glColorMask(GL_TRUE, GL_TRUE, GL_TRUE, GL_TRUE);
    glDepthMask(GL_TRUE);
    glClearColor(static_cast<float>((argb >> 16) & 0xFFu) / 255.0f,
                 static_cast<float>((argb >> 8) & 0xFFu) / 255.0f,
                 static_cast<float>(argb & 0xFFu) / 255.0f, 1.0f);
    glClearDepth(1.0);
    glClear(GL_COLOR_BUFFER_BIT | GL_DEPTH_BUFFER_BIT);
    glPopAttrib();
}

// ---------------------------------------------------------------------------------------------
// Objects
// ---------------------------------------------------------------------------------------------

bool GlRenderer::Create() {
    GLint size = 0;
    glGetIntegerv(GL_MAX_TEXTURE_SIZE, &size);
    // OpenGL 1.1 promises at least 64.
    maxTextureSize_ = size >= 64 ? size : 64;
    return BuildLists();
}

void GlRenderer::Release() {
    DeleteLists();
    DeleteFaceTextures();
    if (backgroundTexture_ != 0) {
        glDeleteTextures(1, &backgroundTexture_);
        backgroundTexture_ = 0;
    }
}

void GlRenderer::Abandon() {
    listBase_ = 0;
    textures_.fill(0);
    backgroundTexture_ = 0;
}

void GlRenderer::DeleteLists() {
    if (listBase_ != 0) {
        glDeleteLists(listBase_, kGlListCount);
        listBase_ = 0;
    }
}

void GlRenderer::DeleteFaceTextures() {
    if (textures_[0] != 0) {
        glDeleteTextures(kGlTextureCount, textures_.data());
        textures_.fill(0);
    }
}

unsigned int GlRenderer::TextureName(int index) const {
    assert(index >= 0 && index < kGlTextureCount);
    return textures_[static_cast<std::size_t>(index)];
}

bool GlRenderer::BuildLists() {
    DeleteLists();
    listBase_ = glGenLists(kGlListCount);
    if (listBase_ == 0) {
        return false;
    }
    // The same model as the software edition's vertex buffer; the colours are set per draw.
    TileVertices vertices{};
    BuildGeometry(vertices, kOpaqueWhite, LevelColours{});

    glNewList(listBase_ + kFaceList, GL_COMPILE);
    EmitTriangles(vertices, kFaceQuad, true);
    glEndList();

    glNewList(listBase_ + kSidesList, GL_COMPILE);
    EmitTriangles(vertices, kSidesPiece, true);
    glEndList();

    // The highlight darkens the face with the face texture still bound; its one texture
    // coordinate (the picture's corner, as in the software edition's vertices) keeps the result
    // from depending on where the face list left the current coordinate.
    glNewList(listBase_ + kHighlightList, GL_COMPILE);
    glTexCoord2f(vertices[kHighlightPiece.first].u, vertices[kHighlightPiece.first].v);
    EmitTriangles(vertices, kHighlightPiece, false);
    glEndList();

    for (int row = 0; row < kShadowRows; ++row) {
        glNewList(listBase_ + kFirstShadowList + static_cast<GLuint>(row), GL_COMPILE);
        EmitTriangles(vertices, ShadowRowPiece(row), false);
        glEndList();
    }

    glNewList(listBase_ + kMarkFrameList, GL_COMPILE);
    EmitTriangles(vertices, kSelectedFramePiece, false);
    glEndList();
    glNewList(listBase_ + kFrameEdgeList, GL_COMPILE);
    EmitTriangles(vertices, kFrameEdgePiece, false);
    glEndList();
    // The focus ring's three bands keep their own colours.
    glNewList(listBase_ + kFocusRingList, GL_COMPILE);
    glBegin(GL_TRIANGLES);
    for (int k = kFocusRingPiece.first; k < kFocusRingPiece.End(); ++k) {
        const TileVertex& vertex = vertices[static_cast<std::size_t>(k)];
        SetColour(vertex.colour);
        glVertex3f(vertex.x, vertex.y, vertex.z);
    }
    glEnd();
    glEndList();

    glNewList(listBase_ + kBackgroundList, GL_COMPILE);
    glDisable(GL_BLEND);
    glDisable(GL_DEPTH_TEST);
    glTexEnvi(GL_TEXTURE_ENV, GL_TEXTURE_ENV_MODE, GL_DECAL);
    EmitTriangles(vertices, kBackgroundPiece, true);
    glEnable(GL_DEPTH_TEST);
    glEndList();
    return true;
}

void GlRenderer::Resize(int width, int height) {
    viewWidth_ = width;
    viewHeight_ = height;
}

bool GlRenderer::LoadTileSetTextures(const TileSet& tileSet) {
    if (!IsReady()) {
        return false;
    }
    DeleteFaceTextures();
    glGenTextures(kGlTextureCount, textures_.data());
    bool allMade = true;
    glPushAttrib(GL_TEXTURE_BIT);
    for (int index = 0; index < kGlTextureCount; ++index) {
        glBindTexture(GL_TEXTURE_2D, textures_[static_cast<std::size_t>(index)]);
        SetLinearFilters();
        bool made = false;
        if (index < kTileSetFaceCount) {
            made = UploadPicture(tileSet.faces[static_cast<std::size_t>(index)]);
        } else {
            // The relief images are made from a copy of the face and freed once uploaded.
            const bool inverted = index >= kFirstInvertedHeightTexture;
            const int face = index - (inverted ? kFirstInvertedHeightTexture : kFirstHeightTexture);
            Image heightImage;
            made = MakeHeightImage(tileSet.faces[static_cast<std::size_t>(face)], inverted,
                                   heightImage) &&
                   UploadPicture(heightImage);
        }
        allMade = allMade && made;
    }
    glPopAttrib();
    return allMade;
}

bool GlRenderer::LoadBackgroundTexture(const Image& picture) {
    if (!IsReady() || !picture.HasPixels()) {
        return false;
    }
    if (backgroundTexture_ != 0) {
        glDeleteTextures(1, &backgroundTexture_);
        backgroundTexture_ = 0;
    }
    Image scaled;
    if (!MakeBackgroundTexture(picture, maxTextureSize_, maxTextureSize_, scaled)) {
        return false;
    }
    glGenTextures(1, &backgroundTexture_);
    glPushAttrib(GL_TEXTURE_BIT);
    glBindTexture(GL_TEXTURE_2D, backgroundTexture_);
    SetLinearFilters();
    const bool made = UploadPicture(scaled);
    glPopAttrib();
    if (!made) {
        glDeleteTextures(1, &backgroundTexture_);
        backgroundTexture_ = 0;
    }
    return made;
}

// ---------------------------------------------------------------------------------------------
// Drawing
// ---------------------------------------------------------------------------------------------

bool GlRenderer::Render(const FramePlan& plan) {
    if (!IsReady()) {
        return false;
    }
    const int width = plan.viewWidth > 0 ? plan.viewWidth : viewWidth_;
    const int height = plan.viewHeight > 0 ? plan.viewHeight : viewHeight_;

    // Everything below is put back as it was found.
    glPushAttrib(GL_ALL_ATTRIB_BITS);
    glMatrixMode(GL_TEXTURE);
    glPushMatrix();
    glLoadIdentity();
    glMatrixMode(GL_PROJECTION);
    glPushMatrix();
    glMatrixMode(GL_MODELVIEW);
    glPushMatrix();

    // The fixed states of the board's drawing.
    glViewport(0, 0, width, height);
    glEnable(GL_TEXTURE_2D);
    glShadeModel(GL_SMOOTH);
    glClearColor(static_cast<float>((plan.clearColour >> 16) & 0xFFu) / 255.0f,
                 static_cast<float>((plan.clearColour >> 8) & 0xFFu) / 255.0f,
                 static_cast<float>(plan.clearColour & 0xFFu) / 255.0f, 1.0f);
    glClearDepth(1.0);
    glEnable(GL_DEPTH_TEST);
    glDepthFunc(GL_LEQUAL);
    glDepthMask(GL_TRUE);
    glColorMask(GL_TRUE, GL_TRUE, GL_TRUE, GL_TRUE);
    // Triangles that appear clockwise are dropped, as in the software edition.
    glEnable(GL_CULL_FACE);
    glFrontFace(GL_CW);
    glCullFace(GL_FRONT);
    glHint(GL_PERSPECTIVE_CORRECTION_HINT, GL_NICEST);
    glPolygonMode(GL_FRONT_AND_BACK, GL_FILL);
    glDisable(GL_POLYGON_SMOOTH);
    glEnable(GL_POLYGON_OFFSET_FILL);
    glDisable(GL_LIGHTING);
    glDisable(GL_ALPHA_TEST);
    glDisable(GL_STENCIL_TEST);
    glDisable(GL_SCISSOR_TEST);
    glDisable(GL_FOG);

    glClear(GL_COLOR_BUFFER_BIT | GL_DEPTH_BUFFER_BIT);

    if (plan.background) {
        glMatrixMode(GL_PROJECTION);
        glLoadIdentity();
        glMatrixMode(GL_MODELVIEW);
        glLoadIdentity();
        // Without a texture the quad shows this colour, as the untextured quad does in software.
        glBindTexture(GL_TEXTURE_2D, backgroundTexture_);
        SetColour(kOpaqueWhite);
        glCallList(listBase_ + kBackgroundList);
    }
    storedView_ = plan.view;
    glMatrixMode(GL_PROJECTION);
    LoadMatrix(GlProjectionMatrix(plan.projection));
    glMatrixMode(GL_MODELVIEW);

    for (int entry = 0; entry < plan.tileCount; ++entry) {
        DrawTile(plan, plan.tiles[static_cast<std::size_t>(entry)]);
    }

    glMatrixMode(GL_TEXTURE);
    glPopMatrix();
    glMatrixMode(GL_PROJECTION);
    glPopMatrix();
    glMatrixMode(GL_MODELVIEW);
    glPopMatrix();
    glPopAttrib();
    return true;
}

void GlRenderer::DrawTile(const FramePlan& plan, const PlannedTile& tile) {
    assert(tile.faceTexture < kTileSetFaceCount && tile.layer < kLayers);
    storedWorld_ = tile.world;
    // Model to world, then world to view: the view matrix applied last.
    LoadMatrix(storedView_);
    glMultMatrixf(storedWorld_.m);

    // Back and sides: the body texture in the side colour, opaque.
    glPolygonOffset(0.0f, 0.0f);
    glDisable(GL_BLEND);
    glTexEnvi(GL_TEXTURE_ENV, GL_TEXTURE_ENV_MODE, GL_MODULATE);
    SetColour(plan.sidesColour);
    glBindTexture(GL_TEXTURE_2D, textures_[kBodyTexture]);
    glCallList(listBase_ + kSidesList);

    if (!plan.paused) {
        if (bumpMapping_ && tile.faceTexture < kReliefFaces) {
            // The relief: the face's brightness, plus the inverted brightness a little up and to
            // the left, leaves about half grey on flat parts and lighter or darker edges where
            // the picture changes; the face is then multiplied into it.
            glTexEnvi(GL_TEXTURE_ENV, GL_TEXTURE_ENV_MODE, GL_DECAL);
            glMatrixMode(GL_TEXTURE);
            glLoadIdentity();
            glMatrixMode(GL_MODELVIEW);
            glBindTexture(GL_TEXTURE_2D, textures_[kFirstHeightTexture + tile.faceTexture]);
            glCallList(listBase_ + kFaceList);
            glEnable(GL_BLEND);
            glBlendFunc(GL_ONE, GL_ONE);
            glMatrixMode(GL_TEXTURE);
            glTranslatef(-kReliefShift, -kReliefShift, 0.0f);
            glMatrixMode(GL_MODELVIEW);
            glBindTexture(GL_TEXTURE_2D, textures_[kFirstInvertedHeightTexture + tile.faceTexture]);
            glCallList(listBase_ + kFaceList);
            glMatrixMode(GL_TEXTURE);
            glLoadIdentity();
            glMatrixMode(GL_MODELVIEW);
            glBlendFunc(GL_DST_COLOR, GL_ZERO);
        }
        glBindTexture(GL_TEXTURE_2D, textures_[tile.faceTexture]);
        glTexEnvi(GL_TEXTURE_ENV, GL_TEXTURE_ENV_MODE, GL_MODULATE);
    }
    // The face in its layer's colour (while paused the body texture is still bound).
    SetColour(plan.levelColours[tile.layer]);
    glCallList(listBase_ + kFaceList);

    // The translucent pieces.
    glEnable(GL_BLEND);
    glBlendFunc(GL_SRC_ALPHA, GL_ONE_MINUS_SRC_ALPHA);
    SetColour(kHighlightColour);
    if (!plan.paused) {
        glPolygonOffset(-static_cast<float>(kHighlightDepthBias),
                        -static_cast<float>(kHighlightDepthBias));
        if (tile.highlight) {
            glCallList(listBase_ + kHighlightList);
        }
    }
    if (tile.marks != 0) {
        // The frames are plain colour, drawn over the veil.
        glPolygonOffset(-static_cast<float>(kMarkDepthBias), -static_cast<float>(kMarkDepthBias));
        glDisable(GL_TEXTURE_2D);
        if ((tile.marks & (kMarkSelected | kMarkHint)) != 0) {
            SetColour((tile.marks & kMarkSelected) != 0 ? kSelectedFrameVertexColour
                                                        : kHintFrameVertexColour);
            glCallList(listBase_ + kMarkFrameList);
            SetColour(kFrameEdgeVertexColour);
            glCallList(listBase_ + kFrameEdgeList);
        }
        if ((tile.marks & kMarkFocus) != 0) {
            glCallList(listBase_ + kFocusRingList);
        }
        glEnable(GL_TEXTURE_2D);
    }
    if (tile.shadowRows != 0) {
        glPolygonOffset(-static_cast<float>(kShadowDepthBias),
                        -static_cast<float>(kShadowDepthBias));
        // The shadow is plain grey, not a picture.
        glDisable(GL_TEXTURE_2D);
        SetColour(kShadowColour);
        for (int row = 0; row < kShadowRows; ++row) {
            if ((tile.shadowRows & (1u << row)) != 0) {
                glCallList(listBase_ + kFirstShadowList + static_cast<GLuint>(row));
            }
        }
        glEnable(GL_TEXTURE_2D);
    }
}
