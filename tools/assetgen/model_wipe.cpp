// The sample transitions' wipe mask. The transitions paint black wherever
// the mask's alpha is below a threshold that climbs from 0 to 1, so the order
// of the alpha values is the order in which the screen goes dark (or, for the
// lead-in, comes back). The field is a diagonal sweep from the top-left to the
// bottom-right corner of the screen, torn by domain-warped noise so that its
// edge creeps like smoke; the alpha is the field's rank, spread evenly over
// 44..254 so the wipe advances at a steady pace, and the 39 last pixels, in
// the bottom-right corner, get 255: a finished wipe leaves them uncovered.
#include "tools/assetgen/model_content.h"
#include "tools/assetgen/model_paint.h"

#include <algorithm>
#include <cmath>
#include <numeric>

namespace modelgen {

std::vector<uint8_t> paint_wipe_mask()
{
    constexpr int N = WIPE_SIZE;
    constexpr double ASPECT = 1.6; // the mask is stretched over the 1024 x 640 screen
    std::vector<double> field(static_cast<size_t>(N) * N);
    for (int y = 0; y < N; ++y) {
        for (int x = 0; x < N; ++x) {
            double X = (x + 0.5) / N * ASPECT;
            double Y = (y + 0.5) / N;
            double diagonal = (X + Y) / (ASPECT + 1);
            double q = fbm(X * 2.2, Y * 2.2, 101, 4);
            double r = fbm(X * 2.6 + 3.5 * q, Y * 2.6 - 2.5 * q, 202, 5);
            double wisps = fbm(X * 9.0 + 2.0 * r, Y * 9.0, 303, 3);
            // The noise fades out towards the last corner, which keeps the
            // last pixels together in the corner.
            double corner = std::hypot(ASPECT - X, 1.0 - Y);
            double taper = smoothstep(0.05, 0.45, corner);
            // Fine grain frays the front into specks, like smoke thinning out.
            double grain = value_noise(x * 0.45, y * 0.45, 404);
            double tear = 0.34 * (r - 0.5) + 0.07 * (wisps - 0.5) + 0.045 * (grain - 0.5);
            field[static_cast<size_t>(y) * N + x] = diagonal + tear * taper;
        }
    }

    std::vector<uint32_t> order(field.size());
    std::iota(order.begin(), order.end(), 0u);
    std::sort(order.begin(), order.end(), [&](uint32_t a, uint32_t b) {
        return field[a] != field[b] ? field[a] < field[b] : a < b;
    });

    const size_t graded = order.size() - WIPE_FULL_PIXELS;
    const int levels = 255 - WIPE_ALPHA_MIN; // 44..254
    std::vector<uint8_t> pixels(field.size() * 4);
    for (size_t rank = 0; rank < order.size(); ++rank) {
        int alpha = rank < graded ? WIPE_ALPHA_MIN + static_cast<int>(rank * levels / graded) : 255;
        uint8_t* p = &pixels[static_cast<size_t>(order[rank]) * 4];
        p[0] = p[1] = p[2] = p[3] = static_cast<uint8_t>(alpha);
    }
    return pixels;
}

} // namespace modelgen
