# vigil-assetgen: the generator of the shipped content under assets/data/.
# Included by CMakeLists.txt.
pkg_check_modules(CAIRO REQUIRED IMPORTED_TARGET cairo)

# Contact sheets (the embedded pictures here, the demo's frames in
# vigil-capture).
add_library(vigil_contact_grid STATIC tools/common/contact_grid.cpp)
target_link_libraries(vigil_contact_grid PUBLIC vigil_picture_writer PkgConfig::CAIRO)

# The rest is the generator and its tests, which a build without tests skips.
if(NOT VIGIL_TESTS)
  return()
endif()

# The scenes' painters and their painting kit.
add_library(vigil_scene_painters STATIC
  tools/assetgen/scene_paint.cpp
  tools/assetgen/scene_layout.cpp
  tools/assetgen/scene_lamps.cpp
  tools/assetgen/scene_archstairs.cpp
  tools/assetgen/scene_tree.cpp
  tools/assetgen/scene_city.cpp
  tools/assetgen/scene_pictures.cpp
)
target_link_libraries(vigil_scene_painters PUBLIC vigil_picture_writer PkgConfig::CAIRO)
# Per-pixel painting is slow unoptimised: the debug and sanitizer builds keep
# it optimised too, so the generator stays quick there.
target_compile_options(vigil_scene_painters PRIVATE -O2)

# The TGA files, the model and its pack.
set(VIGIL_ASSETGEN_MODEL_SOURCES
  tools/assetgen/model_files.cpp
  tools/assetgen/model_paint.cpp
  tools/assetgen/model_wipe.cpp
  tools/assetgen/model_backdrop.cpp
  tools/assetgen/model_particles.cpp
  tools/assetgen/model_mesh.cpp
)

add_executable(vigil-assetgen
  tools/assetgen/main.cpp
  tools/assetgen/interface_pictures.cpp
  tools/assetgen/soundtrack.cpp
  ${VIGIL_ASSETGEN_MODEL_SOURCES}
)
target_link_libraries(vigil-assetgen PRIVATE vigil_scene_painters vigil_picture_writer vigil_mp3_writer vigil_contact_grid
                      PkgConfig::CAIRO)

# The interface pictures' painting helpers; the contact sheet decodes with the demo's own decoders, which allocate through
# the arena's operator new.
add_library(vigil_interface_paint STATIC tools/assetgen/interface_paint.cpp)
target_link_libraries(vigil_interface_paint PUBLIC vigil_contact_grid PkgConfig::CAIRO)
target_sources(vigil-assetgen PRIVATE tools/assetgen/contact_sheet.cpp $<TARGET_OBJECTS:vigil_arena_new>)
target_link_libraries(vigil-assetgen PRIVATE vigil_interface_paint vigil_assets)

# The shipped content's tests: the committed pictures, model and soundtrack
# read back through the demo's decoders (the model loaded on the headless GL
# platform), the shipped and example scripts built by the real script
# builder. This file is included before the main list sets up testing; these
# calls are idempotent.
enable_testing()
find_package(GTest REQUIRED)
include(GoogleTest)
add_executable(vigil_assetgen_tests
  tests/assetgen/pictures_test.cpp
  tests/assetgen/script_test.cpp
  tests/assetgen/soundtrack_test.cpp
  tests/gl/gl_fixture.cpp
  tests/test_support.cpp
  platform/posix/time.cpp
)
target_compile_definitions(vigil_assetgen_tests PRIVATE VIGIL_SOURCE_DIR="${CMAKE_SOURCE_DIR}")
target_link_libraries(vigil_assetgen_tests PRIVATE vigil_arena_new vigil_gfx vigil_platform_headless vigil_music
                      vigil_base GTest::gtest_main)
gtest_discover_tests(vigil_assetgen_tests DISCOVERY_TIMEOUT 60 PROPERTIES ENVIRONMENT "SDL_AUDIODRIVER=dummy")

# Regeneration: the committed assets/data/ is what the generator makes. Not in
# the sanitizer build, where the generator would only run slower.
if(NOT VIGIL_SANITIZE)
  add_test(NAME assetgen_regeneration
           COMMAND bash ${CMAKE_SOURCE_DIR}/tests/assetgen/content_test.sh $<TARGET_FILE:vigil-assetgen>
           WORKING_DIRECTORY ${CMAKE_SOURCE_DIR})
  set_tests_properties(assetgen_regeneration PROPERTIES TIMEOUT 300)
endif()

# The soundtrack's synthesiser.
add_library(vigil_synth STATIC
  tools/assetgen/synth_dsp.cpp
  tools/assetgen/synth_mix.cpp
  tools/assetgen/synth_instruments.cpp
)
# It renders three minutes of stereo sample by sample: optimised in every
# build, so that the sanitizer build makes the soundtrack in seconds too.
target_compile_options(vigil_synth PRIVATE -O2)
target_link_libraries(vigil-assetgen PRIVATE vigil_synth)

