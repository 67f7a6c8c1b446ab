// The contact sheet: one PNG showing every picture in a folder of embedded
// files (JPEG, GIF, TGA, and the TGA entries of resource packs), scaled down
// in a grid with each file's name, size and kind under it, decoded by the
// demo's own decoders. Depends on assets/ (decoders, pack), cairo (labels)
// and the PNG writer.
#pragma once
#include <string>

// Reads the files of `folder` (in name order) and writes the sheet to
// `png_path`. Pictures that do not decode get a marked tile. False, with a
// reason in `error`, when the folder or a file in it cannot be read, it holds
// no picture, or the PNG cannot be written.
bool write_contact_sheet(const std::string& folder, const std::string& png_path, std::string& error);
