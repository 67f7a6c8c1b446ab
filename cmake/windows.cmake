# The player for 64-bit Windows (vigil.exe), cross-compiled with mingw-w64
# (cmake/mingw-w64-x86_64.cmake), and its test program for Wine. The shared
# code is the Linux player's; the platform layer is platform/win32/: Win32
# window and WGL, OLE picture loader, Audio Compression Manager and waveOut,
# the performance counter. One statically linked executable with every
# embedded file; it needs no DLL that Windows does not ship.
# Included by CMakeLists.txt in place of the Linux targets.

add_compile_definitions(WIN32_LEAN_AND_MEAN NOMINMAX)
# No C++ runtime DLLs: libgcc, libstdc++ and the winpthread shim go in.
add_link_options(-static -static-libgcc -static-libstdc++)

set(VIGIL_WIN_SYSTEM_LIBS opengl32 glu32 gdi32 user32 ole32 oleaut32 uuid msacm32 winmm)

include(cmake/embed.cmake)
vigil_embed(vigil_embedded_data embedded ${CMAKE_SOURCE_DIR}/assets/data)
target_sources(vigil_embedded_data PRIVATE assets/embedded.cpp)

add_library(vigil_arena_new OBJECT base/arena_new.cpp platform/win32/memory.cpp)

# Shared code, as on Linux, minus the picture decoders of libjpeg and giflib
# (the OLE picture loader stands in for them).
add_library(vigil_win_base STATIC
  ${VIGIL_BASE_SOURCES}
  ${VIGIL_ASSET_SOURCES}
  ${VIGIL_GFX_SOURCES}
  core/frame_loop.cpp
  core/demo_state.cpp
  core/seek.cpp
  core/arena_watch.cpp
  core/init_runner.cpp
  core/session.cpp
  core/music.cpp
  platform/shared/sound_position.cpp
  platform/shared/sound_stream.cpp
  platform/win32/picture_loader.cpp
  platform/win32/fsound.cpp
  platform/win32/mp3_info.cpp
  platform/win32/time.cpp
)
target_link_libraries(vigil_win_base PUBLIC ${VIGIL_WIN_SYSTEM_LIBS})

include(cmake/effects.cmake)

add_executable(vigil WIN32
  app/command_line.cpp
  app/driver.cpp
  app/preview.cpp
  app/overlay_text.cpp
  app/window_pictures.cpp
  app/windowed.cpp
  app/winmain.cpp
  core/script_source.cpp
  platform/win32/window.cpp
  platform/shared/display.cpp
  platform/win32/gl_proc.cpp
  platform/win32/process.cpp
  effects/content.cpp
  $<TARGET_OBJECTS:vigil_effects>
  $<TARGET_OBJECTS:vigil_arena_new>
  $<TARGET_OBJECTS:vigil_embedded_data>
)
target_link_libraries(vigil PRIVATE vigil_win_base)

# The Windows test program, run under Wine by tests/win/win_tests.sh: the
# system's picture loader and MP3 codec against the Linux decoders' results.
add_executable(vigil-win-tests tests/win/win_decoders_test.cpp
  $<TARGET_OBJECTS:vigil_arena_new> $<TARGET_OBJECTS:vigil_embedded_data>)
target_link_libraries(vigil-win-tests PRIVATE vigil_win_base)

# The tests under Wine need two programs of the Linux build (the Linux
# decoders' results and the capture of the same script): scripts/build
# windows passes its folder.
set(VIGIL_LINUX_BUILD "" CACHE PATH "Linux build folder holding vigil-win-reference and vigil-capture")
enable_testing()
if(VIGIL_LINUX_BUILD)
  add_test(NAME win_tests COMMAND bash ${CMAKE_SOURCE_DIR}/tests/win/win_tests.sh $<TARGET_FILE:vigil>
           $<TARGET_FILE:vigil-win-tests> ${VIGIL_LINUX_BUILD}/vigil-win-reference ${VIGIL_LINUX_BUILD}/vigil-capture)
  set_tests_properties(win_tests PROPERTIES TIMEOUT 900 SKIP_RETURN_CODE 77 RUN_SERIAL TRUE)
endif()
