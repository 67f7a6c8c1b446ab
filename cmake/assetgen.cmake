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
