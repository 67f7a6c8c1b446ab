// decode_jpeg and decode_gif of the Linux build: JPEG files through
// libjpeg-turbo and GIF files through giflib, both read straight from the
// given bytes (assets/image.cpp has told the format).
//
// Every failure gives null and leaves the outputs alone: unknown formats,
// pictures libjpeg-turbo cannot turn into RGB (12-bit, CMYK), damaged or
// truncated files, absurd sizes, and a result that does not fit in memory.
// Each failure also leaves its reason (picture_failure) for the authors' tool.
// The result comes from global operator new (the arena); the libraries'
// own working memory comes from the C heap and is given back before return.
//
// GIF files are read record by record and only up to the end of the first
// image, whose size is checked before any pixel memory exists; its rows go
// straight into the result (clipped to the screen) through one line buffer.
// So a GIF costs its result and a few kilobytes whatever its frames hold,
// and what follows the first image (later frames, the trailer) is not read.
#include "assets/picture_codecs.h"

#include <algorithm>
#include <cstdarg>
#include <csetjmp>
#include <cstddef>
#include <cstdio> // jpeglib.h needs FILE and size_t declared first
#include <cstdlib>
#include <cstring>
#include <new>

#include <gif_lib.h>
#include <jpeglib.h>
#include <jerror.h> // warning codes; after jpeglib.h, which it needs

// DGifExtensionToGCB and the error codes in the file's state are giflib 5's.
static_assert(GIFLIB_MAJOR >= 5, "giflib 5 or later is required");

namespace {

// Sides beyond this are refused before anything large is allocated; the
// demo's pictures are at most a few thousand pixels wide.
constexpr uint32_t MAX_SIDE = 16384;

// Working memory libjpeg-turbo may use for one picture (a progressive file
// keeps all its coefficients); beyond it decoding fails instead of growing.
constexpr long JPEG_MEMORY_LIMIT = 512L * 1024 * 1024;

size_t pixel_count(uint32_t width, uint32_t height)
{
    return static_cast<size_t>(width) * static_cast<size_t>(height);
}

// The result array: RGBA pixels or one green byte per pixel.
uint8_t* allocate_result(PictureOutput output, uint32_t width, uint32_t height)
{
    size_t bytes = pixel_count(width, height) * (output == PictureOutput::Rgba ? 4 : 1);
    uint8_t* result = new (std::nothrow) uint8_t[bytes];
    if (!result)
        picture_failure("a %ux%u picture (%zu bytes) does not fit in the memory the demo has for pictures", width, height,
             bytes);
    return result;
}

// ---------------------------------------------------------------- JPEG ----

// libjpeg reports a fatal error through error_exit, which must not return;
// the default one calls exit(). This one jumps back into decode_jpeg.
struct JpegErrors {
    jpeg_error_mgr pub; // first, so the library's pointer is also ours
    std::jmp_buf jump;
};

// Keeps libjpeg's text for the message in hand as the failure's reason.
[[noreturn]] void jpeg_fail(j_common_ptr cinfo)
{
    char text[JMSG_LENGTH_MAX];
    (*cinfo->err->format_message)(cinfo, text);
    if (cinfo->err->msg_code == JWRN_JPEG_EOF)
        picture_failure("the JPEG file is truncated: it ends before its end-of-image marker");
    else
        picture_failure("the JPEG file is damaged or unsupported: %s", text);
    std::longjmp(reinterpret_cast<JpegErrors*>(cinfo->err)->jump, 1);
}

// Warnings that mean the entropy-coded data is missing or damaged. On them
// libjpeg goes on with invented data (a truncated file ends in grey rows), so
// they are failures here: a broken picture must not pass for a good one.
// Other warnings (an unknown JFIF version, stray bytes between segments, a
// bad ICC chunk) leave the pixels intact and are ignored.
// A file that lacks only its end-of-image marker is refused too: libjpeg
// reports it with the same warning as a file cut at the end of a scan, and
// a progressive file cut between scans would pass for a complete picture
// of lower quality.
bool damages_pixels(int code)
{
    switch (code) {
    case JWRN_JPEG_EOF:          // premature end of the file
    case JWRN_HIT_MARKER:        // a marker inside the scan data
    case JWRN_MUST_RESYNC:       // restart markers out of order
    case JWRN_HUFF_BAD_CODE:     // invalid Huffman code
    case JWRN_ARITH_BAD_CODE:    // invalid arithmetic code
    case JWRN_BOGUS_PROGRESSION: // progressive scans that do not fit together
        return true;
    default:
        return false;
    }
}

void jpeg_message(j_common_ptr cinfo, int level)
{
    if (level < 0) {
        cinfo->err->num_warnings++;
        if (damages_pixels(cinfo->err->msg_code))
            jpeg_fail(cinfo);
    }
    // Trace messages (level >= 0) are never printed.
}

void jpeg_silent(j_common_ptr) {}

// No C++ object with a destructor may live in this function: a libjpeg error
// leaves it through longjmp.
} // namespace

uint8_t* decode_jpeg(const uint8_t* data, uint32_t length, PictureOutput output, int32_t* width, int32_t* height)
{
    jpeg_decompress_struct cinfo;
    std::memset(&cinfo, 0, sizeof cinfo); // jpeg_destroy is safe even if create fails
    JpegErrors errors;
    cinfo.err = jpeg_std_error(&errors.pub);
    errors.pub.error_exit = jpeg_fail;
    errors.pub.emit_message = jpeg_message;
    errors.pub.output_message = jpeg_silent;
    if (setjmp(errors.jump)) {
        jpeg_destroy_decompress(&cinfo);
        return nullptr;
    }

    jpeg_create_decompress(&cinfo);
    cinfo.mem->max_memory_to_use = JPEG_MEMORY_LIMIT;
    jpeg_mem_src(&cinfo, data, length);
    jpeg_read_header(&cinfo, TRUE);
    if (cinfo.image_width == 0 || cinfo.image_height == 0 || cinfo.image_width > MAX_SIDE ||
        cinfo.image_height > MAX_SIDE) {
        picture_failure("the JPEG picture is %ux%u pixels; the demo takes 1 to %u on each side", cinfo.image_width,
             cinfo.image_height, MAX_SIDE);
        jpeg_destroy_decompress(&cinfo);
        return nullptr;
    }
    // Grey, YCbCr and RGB files all come out as RGBA with alpha 255; other
    // colour spaces make jpeg_start_decompress fail.
    cinfo.out_color_space = JCS_EXT_RGBA;
    jpeg_start_decompress(&cinfo);

    const uint32_t w = cinfo.output_width;
    const uint32_t h = cinfo.output_height;
    uint8_t* result = allocate_result(output, w, h);
    if (!result) {
        jpeg_destroy_decompress(&cinfo);
        return nullptr;
    }
    // For the green bytes each row is decoded into a row from libjpeg's pool,
    // which jpeg_destroy_decompress frees whichever way this function ends.
    JSAMPARRAY scratch = nullptr;
    if (output == PictureOutput::Green)
        scratch = (*cinfo.mem->alloc_sarray)(reinterpret_cast<j_common_ptr>(&cinfo), JPOOL_IMAGE, w * 4, 1);

    while (cinfo.output_scanline < h) {
        const size_t y = cinfo.output_scanline;
        if (output == PictureOutput::Rgba) {
            JSAMPROW row = result + y * w * 4;
            jpeg_read_scanlines(&cinfo, &row, 1);
        } else {
            jpeg_read_scanlines(&cinfo, scratch, 1);
            uint8_t* values = result + y * w;
            for (uint32_t x = 0; x < w; ++x)
                values[x] = scratch[0][x * 4 + 1];
        }
    }
    // Reads on to the end-of-image marker, so a file cut after its last scan
    // row still reports its missing end.
    jpeg_finish_decompress(&cinfo);
    jpeg_destroy_decompress(&cinfo);
    *width = static_cast<int32_t>(w);
    *height = static_cast<int32_t>(h);
    return result;
}

namespace {

// ----------------------------------------------------------------- GIF ----

struct GifSource {
    const uint8_t* data;
    size_t length;
    size_t offset;
};

// giflib's input callback: copies at most what is left of the bytes; a short
// count makes giflib report the file as truncated.
int gif_read(GifFileType* gif, GifByteType* buffer, int count)
{
    GifSource* source = static_cast<GifSource*>(gif->UserData);
    if (count <= 0)
        return 0;
    size_t left = source->length - source->offset;
    size_t n = static_cast<size_t>(count) < left ? static_cast<size_t>(count) : left;
    std::memcpy(buffer, source->data + source->offset, n);
    source->offset += n;
    return static_cast<int>(n);
}

// The reason for a failure giflib reported through its error code.
uint8_t* fail_gif(int error)
{
    switch (error) {
    case D_GIF_ERR_READ_FAILED:
        return picture_failure("the GIF file is truncated: it ends before its first image does");
    case D_GIF_ERR_NOT_ENOUGH_MEM:
        return picture_failure("out of memory while reading the GIF file");
    default: {
        const char* text = GifErrorString(error);
        return picture_failure("the GIF file is damaged: %s", text ? text : "unknown giflib error");
    }
    }
}

// The first image, read from the current position of the file whose image
// descriptor giflib has just read, drawn on the logical screen, which starts
// black. Pixels of the transparent index, indices the colour map lacks and
// screen areas the image leaves uncovered all stay black. The image's own
// colour map wins over the global one; a file with neither is refused.
uint8_t* draw_first_image(GifFileType* gif, PictureOutput output, int transparent)
{
    const GifImageDesc& desc = gif->Image;
    if (desc.Width <= 0 || desc.Height <= 0 || static_cast<uint32_t>(desc.Width) > MAX_SIDE ||
        static_cast<uint32_t>(desc.Height) > MAX_SIDE)
        return picture_failure("the GIF's first image is %dx%d pixels; the demo takes 1 to %u on each side", desc.Width,
                    desc.Height, MAX_SIDE);
    const ColorMapObject* map = desc.ColorMap ? desc.ColorMap : gif->SColorMap;
    if (!map || !map->Colors)
        return picture_failure("the GIF's first image has no colour map (neither its own nor a global one)");

    const uint32_t screenWidth = static_cast<uint32_t>(gif->SWidth);
    const uint32_t screenHeight = static_cast<uint32_t>(gif->SHeight);
    uint8_t* result = allocate_result(output, screenWidth, screenHeight);
    if (!result)
        return nullptr;
    const size_t count = pixel_count(screenWidth, screenHeight);
    if (output == PictureOutput::Rgba) {
        for (size_t i = 0; i < count; ++i) {
            uint8_t* p = result + i * 4;
            p[0] = p[1] = p[2] = 0;
            p[3] = 255;
        }
    } else {
        std::memset(result, 0, count);
    }

    // Working memory from the C heap, given back before return.
    GifPixelType* line = static_cast<GifPixelType*>(std::malloc(static_cast<size_t>(desc.Width)));
    if (!line)
        return picture_failure("out of memory while reading the GIF file");

    // giflib keeps the descriptor's fields as read: offsets and sizes of
    // 0..65535, so these sums cannot overflow. Interlaced images hold every
    // 8th row from row 0, then every 8th from row 4, every 4th from row 2 and
    // every 2nd from row 1.
    static const int PASS_START[4] = {0, 4, 2, 1};
    static const int PASS_STEP[4] = {8, 8, 4, 2};
    const long left = desc.Left;
    const long top = desc.Top;
    const long shownWidth = std::min<long>(desc.Width, static_cast<long>(screenWidth) - left);
    const int passes = desc.Interlace ? 4 : 1;
    for (int pass = 0; pass < passes; ++pass) {
        const int start = desc.Interlace ? PASS_START[pass] : 0;
        const int step = desc.Interlace ? PASS_STEP[pass] : 1;
        for (long iy = start; iy < desc.Height; iy += step) {
            // Every row is decoded, shown or not, so damage anywhere in the
            // image is found. After the last row giflib reads on to the
            // end of the image's data.
            if (DGifGetLine(gif, line, desc.Width) == GIF_ERROR) {
                std::free(line);
                return fail_gif(gif->Error);
            }
            if (top + iy >= static_cast<long>(screenHeight))
                continue;
            const size_t screenRow = static_cast<size_t>(top + iy) * screenWidth;
            for (long ix = 0; ix < shownWidth; ++ix) {
                const int index = line[ix];
                if (index == transparent || index >= map->ColorCount)
                    continue;
                const GifColorType& colour = map->Colors[index];
                const size_t i = screenRow + static_cast<size_t>(left + ix);
                if (output == PictureOutput::Rgba) {
                    result[i * 4 + 0] = colour.Red;
                    result[i * 4 + 1] = colour.Green;
                    result[i * 4 + 2] = colour.Blue;
                } else {
                    result[i] = colour.Green;
                }
            }
        }
    }
    std::free(line);
    return result;
}

// Reads the records before the first image (extensions are passed over; the
// first graphics control extension gives the transparent index), then the
// first image itself. Nothing after it is read.
uint8_t* read_first_image(GifFileType* gif, PictureOutput output)
{
    if (gif->SWidth <= 0 || gif->SHeight <= 0 || static_cast<uint32_t>(gif->SWidth) > MAX_SIDE ||
        static_cast<uint32_t>(gif->SHeight) > MAX_SIDE)
        return picture_failure("the GIF's screen is %dx%d pixels; the demo takes 1 to %u on each side", gif->SWidth,
                    gif->SHeight, MAX_SIDE);
    int transparent = NO_TRANSPARENT_COLOR;
    bool controlSeen = false;
    for (;;) {
        GifRecordType type = UNDEFINED_RECORD_TYPE;
        if (DGifGetRecordType(gif, &type) == GIF_ERROR)
            return fail_gif(gif->Error);
        switch (type) {
        case EXTENSION_RECORD_TYPE: {
            int code = 0;
            GifByteType* block = nullptr;
            if (DGifGetExtension(gif, &code, &block) == GIF_ERROR)
                return fail_gif(gif->Error);
            // Sub-blocks are handed out one at a time in giflib's own buffer:
            // nothing of them is kept. A control block of the wrong length
            // gives no transparency.
            if (code == GRAPHICS_EXT_FUNC_CODE && !controlSeen && block) {
                controlSeen = true;
                GraphicsControlBlock control;
                if (DGifExtensionToGCB(block[0], block + 1, &control) == GIF_OK)
                    transparent = control.TransparentColor;
            }
            while (block) {
                if (DGifGetExtensionNext(gif, &block) == GIF_ERROR)
                    return fail_gif(gif->Error);
            }
            break;
        }
        case IMAGE_DESC_RECORD_TYPE:
            if (DGifGetImageDesc(gif) == GIF_ERROR)
                return fail_gif(gif->Error);
            return draw_first_image(gif, output, transparent);
        case TERMINATE_RECORD_TYPE:
            return picture_failure("the GIF file holds no image");
        default:
            return fail_gif(D_GIF_ERR_WRONG_RECORD);
        }
    }
}

} // namespace

uint8_t* decode_gif(const uint8_t* data, uint32_t length, PictureOutput output, int32_t* width, int32_t* height)
{
    GifSource source{data, length, 0};
    int error = 0;
    GifFileType* gif = DGifOpen(&source, gif_read, &error);
    if (!gif)
        return fail_gif(error);
    uint8_t* result = read_first_image(gif, output);
    if (result) {
        *width = gif->SWidth;
        *height = gif->SHeight;
    }
    DGifCloseFile(gif, &error);
    return result;
}
