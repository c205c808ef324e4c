orbicap_add_test(platform_tests
  SOURCES
    ${CMAKE_CURRENT_LIST_DIR}/frame_memory_test.cpp
  LIBS orbicap_platform)
