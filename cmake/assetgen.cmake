# vigil-assetgen: the generator of the shipped content under assets/data/.
# Included by CMakeLists.txt.
pkg_check_modules(CAIRO REQUIRED IMPORTED_TARGET cairo)

# The scenes' painters and their painting kit, shared by the generator and
# its tests.
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
# it optimised too, so their regeneration test stays quick.
target_compile_options(vigil_scene_painters PRIVATE -O2)

add_executable(vigil-assetgen
  tools/assetgen/main.cpp
  tools/assetgen/interface_pictures.cpp
  tools/assetgen/soundtrack.cpp
  tools/assetgen/model_files.cpp
)
target_link_libraries(vigil-assetgen PRIVATE vigil_scene_painters vigil_picture_writer vigil_mp3_writer PkgConfig::CAIRO)

# The scenes' pictures: the committed files against the painters and the
# effects' geometry, and the painting kit. This file is included before the
# main list sets up testing; these calls are idempotent.
enable_testing()
find_package(GTest REQUIRED)
include(GoogleTest)
add_executable(vigil_scene_pictures_tests tests/assetgen/scene_pictures_test.cpp)
target_compile_definitions(vigil_scene_pictures_tests PRIVATE VIGIL_SOURCE_DIR="${CMAKE_SOURCE_DIR}")
target_link_libraries(vigil_scene_pictures_tests PRIVATE vigil_scene_painters vigil_assets GTest::gtest_main)
gtest_discover_tests(vigil_scene_pictures_tests DISCOVERY_TIMEOUT 60)


# The interface pictures' painting helpers, shared with their tests; the
# contact sheet decodes with the demo's own decoders, which allocate through
# the arena's operator new.
add_library(vigil_interface_paint STATIC tools/assetgen/interface_paint.cpp)
target_link_libraries(vigil_interface_paint PUBLIC vigil_picture_writer PkgConfig::CAIRO)
target_sources(vigil-assetgen PRIVATE tools/assetgen/contact_sheet.cpp $<TARGET_OBJECTS:vigil_arena_new>)
target_link_libraries(vigil-assetgen PRIVATE vigil_interface_paint vigil_assets)

# Their tests: the painting helpers, the generated pictures, the contact sheet.
add_executable(vigil_interface_pictures_tests tests/assetgen/interface_pictures_test.cpp
               tools/assetgen/interface_pictures.cpp tools/assetgen/contact_sheet.cpp
               $<TARGET_OBJECTS:vigil_arena_new>)
target_link_libraries(vigil_interface_pictures_tests PRIVATE vigil_interface_paint vigil_assets GTest::gtest_main)
