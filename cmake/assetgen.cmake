# vigil-assetgen: the generator of the shipped content under assets/data/.
# Included by CMakeLists.txt.
pkg_check_modules(CAIRO REQUIRED IMPORTED_TARGET cairo)

add_executable(vigil-assetgen
  tools/assetgen/main.cpp
  tools/assetgen/interface_pictures.cpp
  tools/assetgen/scene_pictures.cpp
  tools/assetgen/soundtrack.cpp
  tools/assetgen/model_files.cpp
)
target_link_libraries(vigil-assetgen PRIVATE vigil_picture_writer vigil_mp3_writer PkgConfig::CAIRO)

# The soundtrack's synthesiser, shared by the generator and its tests.
add_library(vigil_synth STATIC
  tools/assetgen/synth_dsp.cpp
  tools/assetgen/synth_mix.cpp
  tools/assetgen/synth_instruments.cpp
)
# It renders three minutes of stereo sample by sample: optimised in every
# build, so that the sanitizer build makes the soundtrack in seconds too.
target_compile_options(vigil_synth PRIVATE -O2)
target_link_libraries(vigil-assetgen PRIVATE vigil_synth)

# The soundtrack's tests: its building blocks, and the committed stream
# decoded through the sound layer.
enable_testing()
find_package(GTest REQUIRED)
include(GoogleTest)
add_executable(vigil_soundtrack_tests tests/assetgen/soundtrack_test.cpp tools/assetgen/soundtrack.cpp
               platform/time_posix.cpp)
target_compile_definitions(vigil_soundtrack_tests PRIVATE VIGIL_SOURCE_DIR="${CMAKE_SOURCE_DIR}")
target_link_libraries(vigil_soundtrack_tests PRIVATE vigil_synth vigil_mp3_writer vigil_music GTest::gtest_main)
gtest_discover_tests(vigil_soundtrack_tests DISCOVERY_TIMEOUT 60 PROPERTIES TIMEOUT 600)
