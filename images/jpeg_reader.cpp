// JPEG pictures through libjpeg's 6b interface. libjpeg reports fatal errors through a callback
// that must not return, so the handler jumps back to the reader, which then cleans up and fails.
// The decoding function keeps no C++ objects with destructors alive across that jump.

#include <csetjmp>
#include <cstdio>

// jpeglib.h needs size_t and FILE declared before it, jerror.h needs jpeglib.h.
#include <jpeglib.h>

#include <jerror.h>

#include "images/image.h"
#include "images/reader_local.h"
#include "images/readers.h"

namespace {

struct JpegErrorManager {
    jpeg_error_mgr standard;  // first, so libjpeg's pointer to it is a pointer to the whole
    std::jmp_buf jump;
};

[[noreturn]] void ErrorExit(j_common_ptr info) {
    (*info->err->output_message)(info);
    std::longjmp(reinterpret_cast<JpegErrorManager*>(info->err)->jump, 1);
}

// libjpeg only warns when the file ends early and fills the rest of the picture with grey; the
// game treats a truncated picture as unreadable instead of showing half of it.
void EmitMessage(j_common_ptr info, int level) {
    if (level < 0 && info->err->msg_code == JWRN_JPEG_EOF) {
        ErrorExit(info);
    }
    if (level < 0 && info->err->num_warnings++ == 0) {
        (*info->err->output_message)(info);
    }
}

}  // namespace

// Everything between setjmp and the last libjpeg call lives in libjpeg's own structures or in
// members, so the jump back skips no destructor.
static bool DecodeJpeg(const std::uint8_t* data, std::size_t size, JpegReader& reader,
                       bool (*allocate)(JpegReader&, std::int32_t, std::int32_t)) {
    jpeg_decompress_struct info;
    JpegErrorManager errors;
    info.err = jpeg_std_error(&errors.standard);
    errors.standard.error_exit = ErrorExit;
    errors.standard.emit_message = EmitMessage;
    jpeg_create_decompress(&info);
    if (setjmp(errors.jump) != 0) {
        jpeg_destroy_decompress(&info);
        return false;
    }
    jpeg_mem_src(&info, data, static_cast<unsigned long>(size));
    jpeg_read_header(&info, TRUE);
    // Only colour pictures: libjpeg-turbo could widen grey to colour, the game refuses it. The
    // size is checked before decompression starts, since that already allocates for it.
    if (info.num_components != 3 ||
        (info.jpeg_color_space != JCS_YCbCr && info.jpeg_color_space != JCS_RGB) ||
        info.image_width == 0 || info.image_height == 0 || info.image_width > kMaxImageSide ||
        info.image_height > kMaxImageSide ||
        std::int64_t{info.image_width} * info.image_height > kMaxPicturePixels) {
        jpeg_destroy_decompress(&info);
        return false;
    }
    info.out_color_space = JCS_EXT_BGR;  // blue, green, red as the game stores pixels
    jpeg_start_decompress(&info);
    if (info.output_components != 3 ||
        !allocate(reader, static_cast<std::int32_t>(info.output_width),
                  static_cast<std::int32_t>(info.output_height))) {
        jpeg_destroy_decompress(&info);
        return false;
    }
    const std::int32_t stride = reader.Stride();
    while (info.output_scanline < info.output_height) {
        JSAMPROW row = reader.pixels.get() + std::ptrdiff_t{stride} * info.output_scanline;
        if (jpeg_read_scanlines(&info, &row, 1) != 1) {
            jpeg_destroy_decompress(&info);
            return false;
        }
    }
    jpeg_finish_decompress(&info);
    jpeg_destroy_decompress(&info);
    return true;
}

bool JpegReader::Read(const std::string& path) {
    Destroy();
    std::vector<std::uint8_t> file;
    if (!ReadPictureFile(path, file)) {
        std::fprintf(stderr, "can't open %s\n", path.c_str());
        return false;
    }
    return ReadMemory(file.data(), file.size());
}

bool JpegReader::ReadMemory(const std::uint8_t* data, std::size_t size) {
    Destroy();
    // libjpeg stops at once on an empty buffer; a file of no bytes is simply not a picture.
    if (data == nullptr || size == 0) {
        return false;
    }
    const bool ok =
        DecodeJpeg(data, size, *this, [](JpegReader& r, std::int32_t w, std::int32_t h) {
            return r.AllocatePixels(w, h, false);
        });
    if (!ok) {
        Destroy();
    }
    return ok;
}
