find_package(Qt6 REQUIRED COMPONENTS Test)

orbicap_add_test(widgets_tests
  SOURCES
    ${CMAKE_SOURCE_DIR}/tests/support/QtTestMain.cpp
    ${CMAKE_CURRENT_LIST_DIR}/TrackBarTest.cpp
    ${CMAKE_CURRENT_LIST_DIR}/UnitEditTest.cpp
    ${CMAKE_CURRENT_LIST_DIR}/XYChartTest.cpp
    ${CMAKE_CURRENT_LIST_DIR}/HtmlLabelTest.cpp
    ${CMAKE_CURRENT_LIST_DIR}/ColorSelectorTest.cpp
  LIBS orbicap_widgets Qt6::Widgets Qt6::Test)
target_compile_definitions(widgets_tests PRIVATE ORBICAP_TEST_WIDGETS)
