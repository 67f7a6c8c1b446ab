// The names of the embedded files under assets/data/, by role. The content
// generator writes them and the init routines load them; a demo author may
// replace any of these files by hand.
#pragma once

namespace content {

constexpr const char* LOADING = "loading.jpg";                 // 800x600 baseline colour JPEG
constexpr const char* WINDOW_FRAME_FORMAT = "window_frame_%02d.gif"; // 00..11, 512x320 GIF89a
constexpr int WINDOW_FRAMES = 12;
constexpr const char* FACE_MASK = "face_mask.jpg";             // 512x512 greyscale JPEG (alpha)
constexpr const char* LOGO = "logo.jpg";                       // 800x300 colour JPEG
constexpr const char* LOGO_ALPHA = "logo_alpha.gif";           // 800x300 GIF89a (alpha)
constexpr const char* LAMPS_SCENE = "lamps_scene.jpg";         // 1024x640 colour JPEG
constexpr const char* LAMPS_MASK = "lamps_mask.gif";           // 1024x640 GIF89a cut-out
constexpr const char* LAMPS_TRANSITION_MAP = "lamps_transition_map.jpg"; // 1024x640 greyscale JPEG
constexpr const char* DOT = "dot.jpg";                         // 64x64 greyscale JPEG
constexpr const char* SMOKE_PUFF_FORMAT = "smoke_puff_%d.gif"; // 0..2, 256x256 GIF89a
constexpr int SMOKE_PUFFS = 3;
constexpr const char* ARCHSTAIRS_SCENE = "archstairs_scene.jpg"; // 1024x640 colour JPEG
constexpr const char* ARCHSTAIRS_MASK = "archstairs_mask.gif";   // 1024x640 GIF89a cut-out
constexpr const char* TREE = "tree.jpg";                       // 1024x1162 colour JPEG
constexpr const char* TREE_SILHOUETTE = "tree_silhouette.gif"; // 1024x1162 GIF89a (alpha)
constexpr const char* TREE_FLASH_1 = "tree_flash_1.jpg";       // 800x640 greyscale JPEG (alpha)
constexpr const char* TREE_FLASH_2 = "tree_flash_2.jpg";       // 800x640 greyscale JPEG (alpha)
constexpr const char* TREE_COVER = "tree_cover.gif";           // 1024x640 GIF89a (alpha)
constexpr const char* FEDSQUARE = "fedsquare.jpg";             // 1024x640 progressive colour JPEG
constexpr const char* CITY_BACKGROUND = "city_background.jpg"; // 1024x640 progressive colour JPEG
constexpr const char* CITY_LIT = "city_lit.jpg";               // 1024x640 progressive colour JPEG
constexpr const char* CITY_LIT_MASK = "city_lit_mask.gif";     // 1024x640 GIF89a (alpha)
constexpr const char* CITY_TOP = "city_top.gif";               // 1024x640 GIF89a (alpha)
constexpr const char* WIPE_MASK = "wipe_mask.tga";             // 512x512 TGA type 2, 32-bit
constexpr const char* MODEL_BACKGROUND = "model_background.tga"; // 512x512 TGA type 10, 24-bit
constexpr const char* MODEL_PACK = "model.pkcp";               // "PKCP" pack: mess.ms3d + its texture
constexpr const char* ICON = "icon.gif";                       // 32x32, 16 colours
constexpr const char* CURSOR = "cursor.gif";                   // 32x32 black and white, hot spot (0, 0)
constexpr const char* CURSOR_MASK = "cursor_mask.gif";         // 32x32: white where the cursor shows
constexpr const char* SOUNDTRACK = "soundtrack.mp3";           // length word + MPEG-1 Layer III

} // namespace content
