// The icon and cursor handed to the window layer (see window_pictures.h).
#include "app/window_pictures.h"

#include "assets/content_names.h"
#include "assets/embedded.h"
#include "assets/image.h"
#include "platform/dialog.h"

void hand_window_pictures()
{
    WindowPicture icon;
    if (const EmbeddedFile* file = embedded_find(content::ICON)) {
        int32_t w = 0, h = 0;
        if (const uint8_t* pixels = DecodeImage(file->data, file->length, &w, &h))
            icon = {pixels, w, h};
    }
    WindowPicture cursor;
    const EmbeddedFile* picture = embedded_find(content::CURSOR);
    const EmbeddedFile* mask = embedded_find(content::CURSOR_MASK);
    if (picture && mask) {
        int32_t w = 0, h = 0, mw = 0, mh = 0;
        uint8_t* pixels = DecodeImage(picture->data, picture->length, &w, &h);
        const uint8_t* alpha = DecodeAlphaImage(mask->data, mask->length, &mw, &mh);
        if (pixels && alpha && w == mw && h == mh) {
            for (int32_t i = 0; i < w * h; ++i)
                pixels[i * 4 + 3] = alpha[i];
            cursor = {pixels, w, h};
        }
    }
    set_window_pictures(icon, cursor);
}
