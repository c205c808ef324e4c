orbicap_add_test(capture_tests
  SOURCES
    ${CMAKE_CURRENT_LIST_DIR}/frame_queue_test.cpp
    ${CMAKE_CURRENT_LIST_DIR}/video_capture_test.cpp
    ${CMAKE_CURRENT_LIST_DIR}/capture_boundary_test.cpp
    ${CMAKE_CURRENT_LIST_DIR}/settings_test.cpp
    ${CMAKE_CURRENT_LIST_DIR}/overlay_text_test.cpp
    ${CMAKE_SOURCE_DIR}/tests/support/QtTestMain.cpp
  LIBS orbicap_capture)
target_include_directories(capture_tests PRIVATE ${CMAKE_SOURCE_DIR})
add_dependencies(capture_tests qhy5v_sim)

# A driver that labels each frame with the geometry it was programmed with.
add_library(qhy5v_probe SHARED ${CMAKE_CURRENT_LIST_DIR}/ProbeDriver.cpp)
set_target_properties(qhy5v_probe PROPERTIES OUTPUT_NAME qhy5v-probe)
target_link_libraries(qhy5v_probe PRIVATE orbicap_driver_abi Threads::Threads)
add_dependencies(capture_tests qhy5v_probe)
