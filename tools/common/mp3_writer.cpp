// MP3 encoding through libmp3lame, in constant bit rate with the Info tag or
// in variable bit rate with the Xing tag.
#include "tools/common/mp3_writer.h"

#include <lame.h>

#include <algorithm>
#include <cstdarg>
#include <cstring>

namespace {

// LAME prints its banner and warnings through these; the callers want quiet.
void discard_message(const char*, va_list) {}

constexpr int32_t CHUNK_FRAMES = 8192;

} // namespace

bool encode_mp3(const int16_t* interleaved, int64_t frames, const Mp3Options& options,
                std::vector<uint8_t>* out)
{
    out->clear();
    if (frames < 0 || (frames > 0 && !interleaved))
        return false;
    lame_global_flags* gf = lame_init();
    if (!gf)
        return false;
    lame_set_errorf(gf, discard_message);
    lame_set_debugf(gf, discard_message);
    lame_set_msgf(gf, discard_message);
    lame_set_in_samplerate(gf, options.sampleRate);
    lame_set_out_samplerate(gf, options.sampleRate);
    lame_set_num_channels(gf, 2);
    lame_set_mode(gf, JOINT_STEREO);
    if (options.vbrLevel >= 0) {
        lame_set_VBR(gf, vbr_default);
        lame_set_VBR_quality(gf, static_cast<float>(options.vbrLevel));
    } else {
        lame_set_VBR(gf, vbr_off);
        lame_set_brate(gf, options.bitrateKbps);
    }
    lame_set_quality(gf, options.quality);
    // Reserve the first frame for the Info tag, filled in after the flush.
    lame_set_bWriteVbrTag(gf, 1);
    if (lame_init_params(gf) < 0) {
        lame_close(gf);
        return false;
    }

    // Worst case per call, from lame.h: 1.25 * samples + 7200 bytes.
    std::vector<unsigned char> encoded(CHUNK_FRAMES * 5 / 4 + 7200);
    // lame_encode_buffer_interleaved takes a non-const buffer.
    std::vector<short> chunk(2 * CHUNK_FRAMES);
    bool ok = true;
    for (int64_t done = 0; ok && done < frames;) {
        int32_t n = static_cast<int32_t>(std::min<int64_t>(CHUNK_FRAMES, frames - done));
        std::memcpy(chunk.data(), interleaved + 2 * done, sizeof(short) * 2 * n);
        int bytes = lame_encode_buffer_interleaved(gf, chunk.data(), n, encoded.data(),
                                                   static_cast<int>(encoded.size()));
        if (bytes < 0)
            ok = false;
        else
            out->insert(out->end(), encoded.begin(), encoded.begin() + bytes);
        done += n;
    }
    if (ok) {
        int bytes = lame_encode_flush(gf, encoded.data(), static_cast<int>(encoded.size()));
        if (bytes < 0)
            ok = false;
        else
            out->insert(out->end(), encoded.begin(), encoded.begin() + bytes);
    }
    if (ok) {
        unsigned char tag[2880]; // larger than any Layer III frame
        size_t tagBytes = lame_get_lametag_frame(gf, tag, sizeof tag);
        if (tagBytes == 0 || tagBytes > sizeof tag || tagBytes > out->size())
            ok = false;
        else
            std::memcpy(out->data(), tag, tagBytes);
    }
    lame_close(gf);
    if (!ok)
        out->clear();
    return ok;
}
