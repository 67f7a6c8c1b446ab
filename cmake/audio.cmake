# Sound: the FSOUND_* layer on libmpg123 and SDL2 audio, the music module on
# top of it, MP3 encoding for the tools and tests, the sound tests and the
# decoding benchmark. Included by CMakeLists.txt.

pkg_check_modules(MPG123 REQUIRED IMPORTED_TARGET libmpg123)

# The music module and the sound layer under it. The monotonic clock
# (platform/time.h) is left to the program that links this, which brings
# platform/posix/time.cpp or a clock of its own; embedded_find comes from the
# program's embedded data (vigil_embedded_data).
add_library(vigil_music STATIC
  core/music.cpp
  platform/sdl/fsound.cpp
  platform/shared/sound_position.cpp
  platform/shared/sound_stream.cpp
)
target_link_libraries(vigil_music PUBLIC PkgConfig::SDL2 PRIVATE PkgConfig::MPG123)

# The rest serves the asset generator, the tests and the benchmark only.
if(NOT VIGIL_TESTS)
  return()
endif()

# MP3 encoding (libmp3lame), for the asset generator and the tests.
pkg_check_modules(LAME REQUIRED IMPORTED_TARGET lame)
add_library(vigil_mp3_writer STATIC tools/common/mp3_writer.cpp)
target_link_libraries(vigil_mp3_writer PUBLIC PkgConfig::LAME)

# The sound tests. This file is included before the main list sets up
# testing; these calls are idempotent.
enable_testing()
find_package(GTest REQUIRED)
include(GoogleTest)
add_executable(vigil_audio_tests tests/audio/audio_test.cpp platform/posix/time.cpp)
target_link_libraries(vigil_audio_tests PRIVATE vigil_arena_new vigil_music vigil_base
                      vigil_embedded_data vigil_mp3_writer GTest::gtest_main)
gtest_discover_tests(vigil_audio_tests DISCOVERY_TIMEOUT 60
                     PROPERTIES ENVIRONMENT "SDL_AUDIODRIVER=dummy")

# Time to decode a soundtrack-sized stream at open: build/vigil-bench-music-decode
add_executable(vigil-bench-music-decode bench/music_decode.cpp platform/posix/time.cpp)
target_link_libraries(vigil-bench-music-decode PRIVATE vigil_music vigil_embedded_data
                      vigil_mp3_writer)
