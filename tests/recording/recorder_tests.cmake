orbicap_add_test(recorder_tests
  SOURCES
    ${CMAKE_CURRENT_LIST_DIR}/recorder_test.cpp
    ${CMAKE_CURRENT_LIST_DIR}/recording_files_test.cpp
    ${CMAKE_CURRENT_LIST_DIR}/WriterTestSupport.cpp
    ${CMAKE_SOURCE_DIR}/tests/support/QtTestMain.cpp
  LIBS orbicap_recording)
target_compile_definitions(recorder_tests PRIVATE ORBICAP_TEST_GUI)
