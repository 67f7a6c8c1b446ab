// Fedsquare scene: a painted picture behind a crowd of thirty-two pale ghost
// figures that descend from high above during the first seconds and then
// float up and down, each on its own phase. The figures draw with the figure
// textures of lamps_init.
// State: the picture, the crowd (placement from demo_rand and figure
// record), the sink height and the puff clock; file-scope, never reset.
// Depends on effects/sprites, effects/content, assets/image, core/random.
#pragma once
#include <cstdint>

constexpr int32_t FEDSQUARE_CROWD = 32;

// Init routine: loads the picture and scatters the crowd with three draws of
// demo_rand per figure; 0 when the picture is missing or does not decode.
int32_t fedsquare_init();
// Per-frame: the picture, opaque, then the crowd in perspective.
void fedsquare(int32_t, int32_t, double t, double dt);
