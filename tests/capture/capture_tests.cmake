orbicap_add_test(capture_tests
  SOURCES
    ${CMAKE_CURRENT_LIST_DIR}/frame_queue_test.cpp
    ${CMAKE_CURRENT_LIST_DIR}/video_capture_test.cpp
    ${CMAKE_CURRENT_LIST_DIR}/settings_test.cpp
    ${CMAKE_CURRENT_LIST_DIR}/overlay_text_test.cpp
    ${CMAKE_SOURCE_DIR}/tests/support/QtTestMain.cpp
  LIBS orbicap_capture)
target_include_directories(capture_tests PRIVATE ${CMAKE_SOURCE_DIR})
if(TARGET qhy5v_sim)
  add_dependencies(capture_tests qhy5v_sim)
endif()
