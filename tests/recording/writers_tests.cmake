orbicap_add_test(recording_writers_tests
  SOURCES
    ${CMAKE_CURRENT_LIST_DIR}/WriterTestSupport.cpp
    ${CMAKE_CURRENT_LIST_DIR}/CheckedFileTest.cpp
    ${CMAKE_CURRENT_LIST_DIR}/SerWriterTest.cpp
    ${CMAKE_CURRENT_LIST_DIR}/FitsWriterTest.cpp
    ${CMAKE_CURRENT_LIST_DIR}/BmpWriterTest.cpp
    ${CMAKE_CURRENT_LIST_DIR}/FileNameTest.cpp
  LIBS orbicap_recording Qt6::Gui)
target_compile_definitions(recording_writers_tests PRIVATE ORBICAP_TEST_VERSION="${PROJECT_VERSION}")
