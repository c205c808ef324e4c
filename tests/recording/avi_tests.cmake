orbicap_add_test(recording_avi_tests
  SOURCES
    ${CMAKE_CURRENT_LIST_DIR}/avi_layer_test.cpp
    ${CMAKE_CURRENT_LIST_DIR}/avi_writer_test.cpp
    ${CMAKE_CURRENT_LIST_DIR}/avi_render_test.cpp
    ${CMAKE_SOURCE_DIR}/tests/support/QtTestMain.cpp
  LIBS orbicap_recording)
# The overlay is drawn with QPainter, which needs a QGuiApplication.
target_compile_definitions(recording_avi_tests PRIVATE ORBICAP_TEST_GUI)
add_dependencies(recording_avi_tests qhy5v_sim)
