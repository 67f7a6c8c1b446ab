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
