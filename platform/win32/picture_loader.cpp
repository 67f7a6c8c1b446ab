// decode_jpeg and decode_gif on Windows (assets/picture_codecs.h): the
// system's OLE picture loader reads the file from a memory stream and the
// picture is rendered into a 32-bit DIB section, whose pixels are converted
// to the result. Same results as the libjpeg/giflib decoders of the Linux
// build; the format sniffing, TGA, pack and model code is shared.
//
// Every failure gives null, leaves the outputs alone and keeps its reason
// (picture_failure); every GDI and OLE object made is given back on every
// path. The result comes from global operator new (the arena).
#include <windows.h>
#include <ole2.h>
#include <olectl.h>

#include "assets/picture_codecs.h"

#include <cstdarg>
#include <cstdio>
#include <new>

namespace {

// Larger pictures are refused before any pixel memory exists.
constexpr int32_t MAX_SIDE = 16384;

// The stream over a copy of the file; the copy goes with the stream.
IStream* open_stream(const void* data, uint32_t length)
{
    HGLOBAL block = GlobalAlloc(GMEM_FIXED, length);
    if (!block)
        return nullptr;
    void* bytes = GlobalLock(block);
    if (!bytes) {
        GlobalFree(block);
        return nullptr;
    }
    CopyMemory(bytes, data, length);
    GlobalUnlock(block);
    IStream* stream = nullptr;
    if (FAILED(CreateStreamOnHGlobal(block, TRUE, &stream)) || !stream) {
        GlobalFree(block);
        return nullptr;
    }
    return stream;
}

// The picture's own size in pixels: the bitmap's, whatever resolution the file
// declares; for other picture types the size in 0.01 mm at the screen's
// resolution.
bool pixel_size(IPicture* picture, HDC screen, OLE_XSIZE_HIMETRIC hmWidth, OLE_YSIZE_HIMETRIC hmHeight,
                int32_t* width, int32_t* height)
{
    SHORT type = PICTYPE_UNINITIALIZED;
    // OLE hands the bitmap out as a 32-bit OLE_HANDLE; 64-bit Windows
    // sign-extends such handles, so it is widened with LongToHandle, not
    // zero-extended.
    OLE_HANDLE handle = 0;
    BITMAP bitmap{};
    if (SUCCEEDED(picture->get_Type(&type)) && type == PICTYPE_BITMAP && SUCCEEDED(picture->get_Handle(&handle)) &&
        GetObjectA(LongToHandle(static_cast<LONG>(handle)), sizeof bitmap, &bitmap) ==
            sizeof bitmap) {
        *width = bitmap.bmWidth;
        *height = bitmap.bmHeight < 0 ? -bitmap.bmHeight : bitmap.bmHeight;
        return true;
    }
    *width = MulDiv(GetDeviceCaps(screen, LOGPIXELSX), hmWidth, 2540);
    *height = MulDiv(GetDeviceCaps(screen, LOGPIXELSY), hmHeight, 2540);
    return true;
}

// Renders the loaded picture and converts its pixels.
uint8_t* render(IPicture* picture, PictureOutput output, int32_t* outWidth, int32_t* outHeight)
{
    OLE_XSIZE_HIMETRIC hmWidth = 0;
    OLE_YSIZE_HIMETRIC hmHeight = 0;
    if (FAILED(picture->get_Width(&hmWidth)) || FAILED(picture->get_Height(&hmHeight)))
        return picture_failure("the picture loader gives no size");
    HDC screen = GetDC(nullptr);
    if (!screen)
        return picture_failure("no screen device context");
    HDC dc = CreateCompatibleDC(screen);
    int32_t width = 0;
    int32_t height = 0;
    pixel_size(picture, screen, hmWidth, hmHeight, &width, &height);
    ReleaseDC(nullptr, screen);
    if (!dc)
        return picture_failure("no memory device context");
    if (width < 1 || height < 1 || width > MAX_SIDE || height > MAX_SIDE) {
        DeleteDC(dc);
        return picture_failure("a picture of %dx%d pixels is refused", width, height);
    }

    BITMAPINFO info{};
    info.bmiHeader.biSize = sizeof(BITMAPINFOHEADER);
    info.bmiHeader.biWidth = width;
    info.bmiHeader.biHeight = -height; // top-down rows: memory starts with the top row
    info.bmiHeader.biPlanes = 1;
    info.bmiHeader.biBitCount = 32;
    info.bmiHeader.biCompression = BI_RGB;
    void* bits = nullptr;
    HBITMAP section = CreateDIBSection(dc, &info, DIB_RGB_COLORS, &bits, nullptr, 0);
    if (!section || !bits) {
        DeleteDC(dc);
        return picture_failure("no %dx%d DIB section", width, height);
    }
    HGDIOBJ previous = SelectObject(dc, section);
    // The picture upright: its source rectangle in 0.01 mm counts upwards
    // from the bottom edge, so it starts at the top (hmHeight) with a negative
    // height. (Drawing it upside down into a bottom-up section instead comes
    // out one row off: the top row is lost and the bottom one left black.)
    // Pixels a transparent GIF colour leaves uncovered stay black.
    HRESULT drawn = picture->Render(dc, 0, 0, width, height, 0, hmHeight, hmWidth, -hmHeight, nullptr);
    GdiFlush();

    uint8_t* result = nullptr;
    if (FAILED(drawn)) {
        picture_failure("the picture loader cannot render the picture (0x%08lx)", static_cast<unsigned long>(drawn));
    } else {
        size_t count = static_cast<size_t>(width) * static_cast<size_t>(height);
        result = new (std::nothrow) uint8_t[output == PictureOutput::Rgba ? count * 4 : count];
        if (!result) {
            picture_failure("no memory for %dx%d pixels", width, height);
        } else {
            const auto* source = static_cast<const uint8_t*>(bits); // blue, green, red, unused
            for (size_t i = 0; i < count; ++i, source += 4) {
                if (output == PictureOutput::Rgba) {
                    result[i * 4] = source[2];
                    result[i * 4 + 1] = source[1];
                    result[i * 4 + 2] = source[0];
                    result[i * 4 + 3] = 255;
                } else {
                    result[i] = source[1];
                }
            }
            *outWidth = width;
            *outHeight = height;
        }
    }
    SelectObject(dc, previous);
    DeleteObject(section);
    DeleteDC(dc);
    return result;
}

// The file through the OLE loader; `kind` names it in a refusal.
uint8_t* load(const uint8_t* data, uint32_t length, const char* kind, PictureOutput output, int32_t* width,
              int32_t* height)
{
    IStream* stream = open_stream(data, length);
    if (!stream)
        return picture_failure("no memory stream over %u bytes", length);
    IPicture* picture = nullptr;
    HRESULT loaded = OleLoadPicture(stream, 0, TRUE, IID_IPicture, reinterpret_cast<void**>(&picture));
    stream->Release();
    if (FAILED(loaded) || !picture)
        return picture_failure("the system's picture loader refuses the %s file (0x%08lx)", kind,
                               static_cast<unsigned long>(loaded));
    uint8_t* result = render(picture, output, width, height);
    picture->Release();
    return result;
}

} // namespace

uint8_t* decode_jpeg(const uint8_t* data, uint32_t length, PictureOutput output, int32_t* width, int32_t* height)
{
    return load(data, length, "JPEG", output, width, height);
}

uint8_t* decode_gif(const uint8_t* data, uint32_t length, PictureOutput output, int32_t* width, int32_t* height)
{
    return load(data, length, "GIF", output, width, height);
}
