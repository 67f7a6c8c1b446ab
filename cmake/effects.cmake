# The effects: every registered routine, one module per scene or group, their
# state as one value, the sprite helpers and the registration list. An OBJECT
# library, so that no module's static registrar is ever dropped by the linker.
# Included by CMakeLists.txt.
add_library(vigil_effects OBJECT
  effects/effects_state.cpp
  effects/basic.cpp
  effects/overlays.cpp
  effects/sprites.cpp
  effects/lamps.cpp
  effects/archstairs.cpp
  effects/ghost.cpp
  effects/tree.cpp
  effects/fedsquare.cpp
  effects/city.cpp
  effects/model_scene.cpp
  effects/picture.cpp
  effects/registration.cpp
)
# The Windows build, and a build without tests, take the routines only.
if(WIN32 OR NOT VIGIL_TESTS)
  return()
endif()

# The effects' tests: routines driven through the real GL path on the
# headless platform, with pictures the tests make (tests/effects/fake_content).
add_executable(vigil_effects_tests
  $<TARGET_OBJECTS:vigil_effects>
  $<TARGET_OBJECTS:vigil_arena_new>
  $<TARGET_OBJECTS:vigil_embedded_data>
  tests/effects/fake_content.cpp
  tests/gl/gl_fixture.cpp
  tests/effects/basic_test.cpp
  tests/effects/figures_test.cpp
  tests/effects/scenes_test.cpp
  tests/effects/state_test.cpp
  platform/posix/time.cpp
)
target_link_libraries(vigil_effects_tests PRIVATE vigil_runtime vigil_music vigil_platform_headless
                      vigil_picture_writer vigil_base GTest::gtest_main)
