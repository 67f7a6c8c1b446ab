// Picture writers: JPEG (libjpeg-turbo), GIF (giflib), PNG (libpng), into
// byte vectors. See picture_writer.h.
#include "tools/common/picture_writer.h"

#include <cerrno>
#include <csetjmp>
#include <cstddef>
#include <cstdio> // jpeglib.h needs FILE and size_t declared first
#include <cstring>
#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <gif_lib.h>
#include <jpeglib.h>
#include <png.h>

namespace {

// ---------------------------------------------------------------- JPEG ----

// A libjpeg error jumps back into encode_jpeg instead of calling exit().
struct JpegErrors {
    jpeg_error_mgr pub; // first, so the library's pointer is also ours
    std::jmp_buf jump;
};

[[noreturn]] void jpeg_fail(j_common_ptr cinfo)
{
    std::longjmp(reinterpret_cast<JpegErrors*>(cinfo->err)->jump, 1);
}

void jpeg_silent(j_common_ptr) {}

// Destination manager that appends the compressed bytes to a vector through
// a fixed buffer, so nothing the library allocates outlives a failure.
struct VectorDestination {
    jpeg_destination_mgr pub; // first, see JpegErrors
    std::vector<uint8_t>* out;
    JOCTET buffer[4096];
};

VectorDestination* destination_of(j_compress_ptr cinfo)
{
    return reinterpret_cast<VectorDestination*>(cinfo->dest);
}

void destination_init(j_compress_ptr cinfo)
{
    VectorDestination* d = destination_of(cinfo);
    d->pub.next_output_byte = d->buffer;
    d->pub.free_in_buffer = sizeof d->buffer;
}

boolean destination_empty(j_compress_ptr cinfo)
{
    VectorDestination* d = destination_of(cinfo);
    d->out->insert(d->out->end(), d->buffer, d->buffer + sizeof d->buffer);
    d->pub.next_output_byte = d->buffer;
    d->pub.free_in_buffer = sizeof d->buffer;
    return TRUE;
}

void destination_term(j_compress_ptr cinfo)
{
    VectorDestination* d = destination_of(cinfo);
    d->out->insert(d->out->end(), d->buffer, d->buffer + (sizeof d->buffer - d->pub.free_in_buffer));
}

// Separate from encode_jpeg so that no object with a destructor lives in the
// frame a libjpeg error leaves through longjmp.
bool compress_jpeg(std::vector<uint8_t>& out, const uint8_t* pixels, int width, int height, int components,
                   int quality, bool progressive)
{
    jpeg_compress_struct cinfo;
    std::memset(&cinfo, 0, sizeof cinfo);
    JpegErrors errors;
    cinfo.err = jpeg_std_error(&errors.pub);
    errors.pub.error_exit = jpeg_fail;
    errors.pub.output_message = jpeg_silent;
    VectorDestination destination;
    destination.pub.init_destination = destination_init;
    destination.pub.empty_output_buffer = destination_empty;
    destination.pub.term_destination = destination_term;
    destination.out = &out;
    if (setjmp(errors.jump)) {
        jpeg_destroy_compress(&cinfo);
        return false;
    }
    jpeg_create_compress(&cinfo);
    cinfo.dest = &destination.pub;
    cinfo.image_width = static_cast<JDIMENSION>(width);
    cinfo.image_height = static_cast<JDIMENSION>(height);
    cinfo.input_components = components;
    cinfo.in_color_space = components == 1 ? JCS_GRAYSCALE : components == 4 ? JCS_CMYK : JCS_RGB;
    jpeg_set_defaults(&cinfo);
    jpeg_set_quality(&cinfo, quality, TRUE);
    if (progressive)
        jpeg_simple_progression(&cinfo);
    jpeg_start_compress(&cinfo, TRUE);
    const size_t stride = static_cast<size_t>(width) * static_cast<size_t>(components);
    while (cinfo.next_scanline < cinfo.image_height) {
        // libjpeg only reads the rows it is given, despite the non-const type.
        JSAMPROW row = const_cast<JSAMPROW>(pixels + cinfo.next_scanline * stride);
        jpeg_write_scanlines(&cinfo, &row, 1);
    }
    jpeg_finish_compress(&cinfo);
    jpeg_destroy_compress(&cinfo);
    return true;
}

// ----------------------------------------------------------------- GIF ----

int gif_write(GifFileType* gif, const GifByteType* bytes, int count)
{
    std::vector<uint8_t>* out = static_cast<std::vector<uint8_t>*>(gif->UserData);
    if (count > 0)
        out->insert(out->end(), bytes, bytes + count);
    return count;
}

bool valid_gif(const GifPicture& p)
{
    const size_t entries = p.palette.size() / 3;
    return p.screenWidth > 0 && p.screenWidth <= 65535 && p.screenHeight > 0 && p.screenHeight <= 65535 &&
           p.left >= 0 && p.top >= 0 && p.width > 0 && p.height > 0 && p.left + p.width <= 65535 &&
           p.top + p.height <= 65535 &&
           p.indices.size() == static_cast<size_t>(p.width) * static_cast<size_t>(p.height) &&
           p.palette.size() % 3 == 0 && entries >= 1 && entries <= 256 && p.transparentIndex >= -1 &&
           p.transparentIndex <= 255 && (p.gif89 || p.transparentIndex < 0);
}

// The palette as a giflib colour map padded with black to a power of two.
ColorMapObject* make_map(const std::vector<uint8_t>& palette)
{
    const int entries = static_cast<int>(palette.size() / 3);
    int size = 2;
    while (size < entries)
        size *= 2;
    GifColorType colours[256] = {};
    for (int i = 0; i < entries; ++i)
        colours[i] = GifColorType{palette[i * 3], palette[i * 3 + 1], palette[i * 3 + 2]};
    return GifMakeMapObject(size, colours);
}

bool put_gif(GifFileType* gif, const GifPicture& p, ColorMapObject* map)
{
    EGifSetGifVersion(gif, p.gif89);
    if (EGifPutScreenDesc(gif, p.screenWidth, p.screenHeight, map->BitsPerPixel, 0,
                          p.localPalette ? nullptr : map) != GIF_OK)
        return false;
    if (p.transparentIndex >= 0) {
        GraphicsControlBlock control{DISPOSAL_UNSPECIFIED, false, 0, p.transparentIndex};
        GifByteType extension[4];
        size_t length = EGifGCBToExtension(&control, extension);
        if (EGifPutExtension(gif, GRAPHICS_EXT_FUNC_CODE, static_cast<int>(length), extension) != GIF_OK)
            return false;
    }
    if (EGifPutImageDesc(gif, p.left, p.top, p.width, p.height, p.interlaced, p.localPalette ? map : nullptr) !=
        GIF_OK)
        return false;
    // Interlaced files hold every 8th row from row 0, then every 8th from
    // row 4, every 4th from row 2 and every 2nd from row 1; giflib writes
    // lines in the order it gets them. EGifPutLine masks the line in place,
    // hence the copy.
    static const int kStart[4] = {0, 4, 2, 1};
    static const int kStep[4] = {8, 8, 4, 2};
    std::vector<GifPixelType> line(static_cast<size_t>(p.width));
    const int passes = p.interlaced ? 4 : 1;
    for (int pass = 0; pass < passes; ++pass) {
        const int start = p.interlaced ? kStart[pass] : 0;
        const int step = p.interlaced ? kStep[pass] : 1;
        for (int y = start; y < p.height; y += step) {
            std::memcpy(line.data(), p.indices.data() + static_cast<size_t>(y) * line.size(), line.size());
            if (EGifPutLine(gif, line.data(), p.width) != GIF_OK)
                return false;
        }
    }
    return true;
}

// LZW codes packed least significant bit first into 255-byte sub-blocks.
class GifCodeWriter {
public:
    explicit GifCodeWriter(std::vector<uint8_t>& out) : out(out) {}
    void put(uint32_t code, int bits)
    {
        pending |= static_cast<uint64_t>(code) << pendingBits;
        pendingBits += bits;
        while (pendingBits >= 8) {
            byte(static_cast<uint8_t>(pending));
            pending >>= 8;
            pendingBits -= 8;
        }
    }
    // Flushes the last bits and closes the data with an empty sub-block.
    void finish()
    {
        if (pendingBits > 0)
            byte(static_cast<uint8_t>(pending));
        if (!block.empty()) {
            out.push_back(static_cast<uint8_t>(block.size()));
            out.insert(out.end(), block.begin(), block.end());
        }
        out.push_back(0);
    }

private:
    void byte(uint8_t b)
    {
        block.push_back(b);
        if (block.size() == 255) {
            out.push_back(255);
            out.insert(out.end(), block.begin(), block.end());
            block.clear();
        }
    }
    std::vector<uint8_t>& out;
    std::vector<uint8_t> block;
    uint64_t pending = 0;
    int pendingBits = 0;
};

// The LZW data of `pixels` pixels of index 1 with a minimum code size of 2
// (clear code 4, end code 5, first free code 6). After the first code each
// code is the next free one, whose string is one pixel longer than the last;
// once the table is full, code 4095 (4091 pixels) repeats. The code width
// follows the decoder's: it grows when the next free code reaches 1 << width.
void put_flood_data(std::vector<uint8_t>& out, uint64_t pixels)
{
    constexpr uint32_t CLEAR = 4, END = 5, LAST = 4095;
    out.push_back(2);
    GifCodeWriter writer(out);
    int width = 3;
    uint32_t next = 6;
    writer.put(CLEAR, width);
    writer.put(1, width);
    uint64_t left = pixels - 1;
    while (left > 0) {
        // Code c stands for c - 4 pixels; code 1 for one.
        uint32_t code = next <= LAST ? next : LAST;
        if (left < code - 4u)
            code = left == 1 ? 1 : static_cast<uint32_t>(left) + 4;
        writer.put(code, width);
        left -= code == 1 ? 1 : code - 4;
        if (next <= LAST) {
            ++next;
            if (next == (1u << width) && width < 12)
                ++width;
        }
    }
    writer.put(END, width);
    writer.finish();
}

// ----------------------------------------------------------------- PNG ----

bool valid_size(int width, int height)
{
    return width > 0 && height > 0 && width <= 65535 && height <= 65535;
}

} // namespace

bool encode_jpeg(std::vector<uint8_t>& out, const uint8_t* pixels, int width, int height, int components,
                 int quality, bool progressive)
{
    out.clear();
    if (!pixels || !valid_size(width, height) || (components != 1 && components != 3 && components != 4) ||
        quality < 1 || quality > 100)
        return false;
    if (!compress_jpeg(out, pixels, width, height, components, quality, progressive)) {
        out.clear();
        return false;
    }
    return true;
}

bool encode_gif(std::vector<uint8_t>& out, const GifPicture& picture)
{
    out.clear();
    if (!valid_gif(picture))
        return false;
    ColorMapObject* map = make_map(picture.palette);
    if (!map)
        return false;
    int error = 0;
    GifFileType* gif = EGifOpen(&out, gif_write, &error);
    bool ok = gif && put_gif(gif, picture, map);
    // Closing writes the trailer and frees the file's state either way.
    if (gif && EGifCloseFile(gif, &error) != GIF_OK)
        ok = false;
    GifFreeMapObject(map);
    if (!ok)
        out.clear();
    return ok;
}

bool encode_gif_flood(std::vector<uint8_t>& out, const GifFlood& flood)
{
    out.clear();
    const auto side = [](int v) { return v >= 1 && v <= 65535; };
    if (!side(flood.screenWidth) || !side(flood.screenHeight) || !side(flood.width) || !side(flood.height) ||
        flood.frames < 1)
        return false;
    const auto put16 = [&](int v) { out.insert(out.end(), {uint8_t(v & 0xFF), uint8_t(v >> 8)}); };
    const char* signature = "GIF89a";
    out.assign(signature, signature + 6);
    put16(flood.screenWidth);
    put16(flood.screenHeight);
    out.insert(out.end(), {0x80, 0, 0, 0, 0, 0, 255, 255, 255}); // global map of 2: black, white
    for (int f = 0; f < flood.frames; ++f) {
        out.insert(out.end(), {0x2C, 0, 0, 0, 0});
        put16(flood.width);
        put16(flood.height);
        out.push_back(0); // no local map, not interlaced
        put_flood_data(out, static_cast<uint64_t>(flood.width) * static_cast<uint64_t>(flood.height));
    }
    if (flood.trailer)
        out.push_back(0x3B);
    return true;
}

namespace {

// Describes `pixels` for libpng's simplified writer; false for bad arguments.
bool describe_png(png_image& image, const uint8_t* pixels, int width, int height, int channels)
{
    if (!pixels || !valid_size(width, height) || (channels != 1 && channels != 3 && channels != 4))
        return false;
    std::memset(&image, 0, sizeof image);
    image.version = PNG_IMAGE_VERSION;
    image.width = static_cast<png_uint_32>(width);
    image.height = static_cast<png_uint_32>(height);
    image.format = channels == 1 ? PNG_FORMAT_GRAY : channels == 3 ? PNG_FORMAT_RGB : PNG_FORMAT_RGBA;
    return true;
}

} // namespace

bool encode_png(std::vector<uint8_t>& out, const uint8_t* pixels, int width, int height, int channels)
{
    out.clear();
    png_image image;
    if (!describe_png(image, pixels, width, height, channels))
        return false;
    // The first call measures, the second writes.
    png_alloc_size_t size = 0;
    if (!png_image_write_to_memory(&image, nullptr, &size, 0, pixels, 0, nullptr) || size == 0)
        return false;
    out.resize(size);
    if (!png_image_write_to_memory(&image, out.data(), &size, 0, pixels, 0, nullptr)) {
        out.clear();
        return false;
    }
    out.resize(size);
    return true;
}

bool write_png_file(const char* path, const uint8_t* pixels, int width, int height, int channels, bool fast,
                    std::string* error)
{
    png_image image;
    if (!describe_png(image, pixels, width, height, channels)) {
        if (error)
            *error = "not a picture a PNG can hold";
        return false;
    }
    if (fast)
        image.flags |= PNG_IMAGE_FLAG_FAST;
    bool ok = png_image_write_to_file(&image, path, 0, pixels, 0, nullptr) != 0;
    // On failure libpng leaves its reason (the system's, for a file that
    // cannot be made or written) in the message.
    if (!ok && error)
        *error = image.message[0] ? image.message : "libpng could not write it";
    png_image_free(&image);
    return ok;
}

namespace {

void set_error(std::string* error, const std::string& reason)
{
    if (error)
        *error = reason;
}

// What a file that is neither regular nor a directory is.
const char* special_kind(mode_t mode)
{
    if (S_ISFIFO(mode))
        return "a FIFO";
    if (S_ISCHR(mode))
        return "a character device";
    if (S_ISBLK(mode))
        return "a block device";
    if (S_ISSOCK(mode))
        return "a socket";
    return "a special file";
}

} // namespace

bool write_file(const std::string& path, const std::vector<uint8_t>& bytes, std::string* error)
{
    // O_NONBLOCK: a FIFO without a reader is refused (ENXIO) instead of
    // waited on; it is cleared again for the writes.
    int fd = ::open(path.c_str(), O_WRONLY | O_CREAT | O_TRUNC | O_CLOEXEC | O_NOCTTY | O_NONBLOCK, 0666);
    if (fd < 0) {
        set_error(error, errno == ENXIO ? std::string("a FIFO that nothing reads") : std::strerror(errno));
        return false;
    }
    fcntl(fd, F_SETFL, fcntl(fd, F_GETFL) & ~O_NONBLOCK);
    struct stat status{};
    const bool regular = fstat(fd, &status) == 0 && S_ISREG(status.st_mode);
    const uint8_t* p = bytes.data();
    size_t left = bytes.size();
    int failed = 0;
    while (left > 0 && !failed) {
        ssize_t n = ::write(fd, p, left);
        if (n > 0) {
            p += n;
            left -= static_cast<size_t>(n);
        } else if (n == 0 || errno != EINTR) {
            failed = n == 0 ? EIO : errno;
        }
    }
    if (::close(fd) != 0 && !failed && errno != EINTR)
        failed = errno;
    if (failed) {
        set_error(error, std::strerror(failed));
        if (regular)
            ::unlink(path.c_str());
        return false;
    }
    return true;
}

bool read_file(const std::string& path, std::vector<uint8_t>& bytes, std::string* error)
{
    bytes.clear();
    // O_NONBLOCK: opening a FIFO must not wait for a writer; a FIFO is
    // refused below all the same.
    int fd = ::open(path.c_str(), O_RDONLY | O_CLOEXEC | O_NOCTTY | O_NONBLOCK);
    if (fd < 0) {
        set_error(error, std::strerror(errno));
        return false;
    }
    struct stat status{};
    if (fstat(fd, &status) != 0) {
        set_error(error, std::strerror(errno));
        ::close(fd);
        return false;
    }
    if (!S_ISREG(status.st_mode)) {
        set_error(error, S_ISDIR(status.st_mode) ? std::string(std::strerror(EISDIR))
                                                 : std::string("not a regular file but ") + special_kind(status.st_mode));
        ::close(fd);
        return false;
    }
    bytes.reserve(static_cast<size_t>(status.st_size));
    uint8_t buffer[65536];
    for (;;) {
        ssize_t n = ::read(fd, buffer, sizeof buffer);
        if (n > 0) {
            bytes.insert(bytes.end(), buffer, buffer + n);
        } else if (n == 0) {
            break;
        } else if (errno != EINTR) {
            set_error(error, std::strerror(errno));
            bytes.clear();
            ::close(fd);
            return false;
        }
    }
    ::close(fd);
    return true;
}
