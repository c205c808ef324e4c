orbicap_add_test(pipeline_tests
  SOURCES
    ${CMAKE_CURRENT_LIST_DIR}/palette_test.cpp
    ${CMAKE_CURRENT_LIST_DIR}/frame_intake_test.cpp
    ${CMAKE_CURRENT_LIST_DIR}/display_scaler_test.cpp
    ${CMAKE_CURRENT_LIST_DIR}/display_renderer_test.cpp
    ${CMAKE_CURRENT_LIST_DIR}/histogram_test.cpp
    ${CMAKE_CURRENT_LIST_DIR}/view_test.cpp
    ${CMAKE_CURRENT_LIST_DIR}/overlay_test.cpp
    ${CMAKE_CURRENT_LIST_DIR}/focus_aid_test.cpp
    ${CMAKE_SOURCE_DIR}/tests/support/QtTestMain.cpp
  LIBS orbicap_pipeline)
target_include_directories(pipeline_tests PRIVATE ${CMAKE_SOURCE_DIR})
# Text is drawn with QPainter, which needs a QGuiApplication.
target_compile_definitions(pipeline_tests PRIVATE ORBICAP_TEST_GUI)
