// MP3 frame headers and the LAME/Info tag (see mp3_info.h).
#include "platform/win32/mp3_info.h"

#include <algorithm>
#include <cstring>

namespace {

// A Layer III decoder's output lags its input by 529 samples (the synthesis
// filter bank); the LAME tag's delay does not include it.
constexpr int32_t DECODER_DELAY = 529;

struct Header {
    int32_t sampleRate;
    int32_t channels;
    int32_t bitrate;
    int32_t bytes;       // whole frame, padding included
    int32_t sideInfo;    // bytes of side information after the 4-byte header
    int32_t samples;
    bool mpeg1;
};

bool parse_header(const uint8_t* p, size_t available, Header* h)
{
    if (available < 4 || p[0] != 0xFF || (p[1] & 0xE0) != 0xE0)
        return false;
    int version = (p[1] >> 3) & 3; // 3: MPEG-1, 2: MPEG-2, 0: MPEG-2.5
    int layer = (p[1] >> 1) & 3;   // 1: Layer III
    int bitrateIndex = p[2] >> 4;
    int rateIndex = (p[2] >> 2) & 3;
    if (version == 1 || layer != 1 || bitrateIndex == 0 || bitrateIndex == 15 || rateIndex == 3)
        return false;
    static const int32_t BITRATES_1[] = {0, 32, 40, 48, 56, 64, 80, 96, 112, 128, 160, 192, 224, 256, 320};
    static const int32_t BITRATES_2[] = {0, 8, 16, 24, 32, 40, 48, 56, 64, 80, 96, 112, 128, 144, 160};
    static const int32_t RATES[] = {44100, 48000, 32000};
    h->mpeg1 = version == 3;
    h->sampleRate = RATES[rateIndex] >> (version == 3 ? 0 : version == 2 ? 1 : 2);
    h->bitrate = (h->mpeg1 ? BITRATES_1 : BITRATES_2)[bitrateIndex] * 1000;
    h->channels = (p[3] >> 6) == 3 ? 1 : 2;
    h->samples = h->mpeg1 ? 1152 : 576;
    int padding = (p[2] >> 1) & 1;
    h->bytes = (h->mpeg1 ? 144 : 72) * h->bitrate / h->sampleRate + padding;
    h->sideInfo = h->mpeg1 ? (h->channels == 1 ? 17 : 32) : (h->channels == 1 ? 9 : 17);
    return true;
}

uint32_t be32(const uint8_t* p)
{
    return uint32_t(p[0]) << 24 | uint32_t(p[1]) << 16 | uint32_t(p[2]) << 8 | uint32_t(p[3]);
}

// Whether the frame at `frame` is a Xing/Info tag; reads the LAME delay and
// padding into `info` when it carries them.
bool read_tag(const uint8_t* frame, const Header& h, Mp3Info* info)
{
    size_t at = 4 + static_cast<size_t>(h.sideInfo);
    if (at + 8 > static_cast<size_t>(h.bytes))
        return false;
    const uint8_t* tag = frame + at;
    if (std::memcmp(tag, "Xing", 4) != 0 && std::memcmp(tag, "Info", 4) != 0)
        return false;
    uint32_t flags = be32(tag + 4);
    size_t lame = at + 8 + (flags & 1 ? 4 : 0) + (flags & 2 ? 4 : 0) + (flags & 4 ? 100 : 0) + (flags & 8 ? 4 : 0);
    // The LAME extension: a 9-byte encoder name, then the delay and padding
    // as two 12-bit numbers 21 bytes in.
    if (lame + 24 <= static_cast<size_t>(h.bytes) && frame[lame] >= 'A' && frame[lame] <= 'Z') {
        const uint8_t* d = frame + lame + 21;
        info->encoderDelay = (d[0] << 4) | (d[1] >> 4);
        info->padding = ((d[1] & 0x0F) << 8) | d[2];
        info->gapless = true;
    }
    return true;
}

} // namespace

bool read_mp3_info(const uint8_t* data, size_t length, Mp3Info* info)
{
    *info = Mp3Info{};
    size_t pos = 0;
    // An ID3v2 tag: "ID3", version, flags, then a 28-bit size in 7-bit bytes.
    if (length >= 10 && std::memcmp(data, "ID3", 3) == 0) {
        size_t size = (size_t(data[6] & 0x7F) << 21) | (size_t(data[7] & 0x7F) << 14) |
                      (size_t(data[8] & 0x7F) << 7) | size_t(data[9] & 0x7F);
        pos = 10 + size + ((data[5] & 0x10) ? 10 : 0);
    }
    Header h{};
    while (pos < length && !parse_header(data + pos, length - pos, &h))
        ++pos;
    if (pos >= length || pos + static_cast<size_t>(h.bytes) > length)
        return false;
    if (read_tag(data + pos, h, info)) {
        pos += static_cast<size_t>(h.bytes);
        if (!parse_header(data + pos, length - pos, &h))
            return false;
    }
    info->audioStart = pos;
    info->sampleRate = h.sampleRate;
    info->channels = h.channels;
    info->bitrate = h.bitrate;
    info->samplesPerFrame = h.samples;
    info->frameBytes = h.bytes - ((data[pos + 2] >> 1) & 1);
    Header next{};
    while (pos < length && parse_header(data + pos, length - pos, &next) &&
           pos + static_cast<size_t>(next.bytes) <= length) {
        ++info->audioFrames;
        pos += static_cast<size_t>(next.bytes);
    }
    return info->audioFrames > 0;
}

Trim gapless_trim(const Mp3Info& info, int64_t decoded)
{
    if (!info.gapless)
        return {0, decoded};
    int64_t skip = std::min<int64_t>(info.encoderDelay + DECODER_DELAY, decoded);
    int64_t wanted = info.audioFrames * info.samplesPerFrame - info.encoderDelay - info.padding;
    return {skip, std::clamp<int64_t>(wanted, 0, decoded - skip)};
}
