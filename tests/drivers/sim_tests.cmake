# A driver that lacks bufferCopy: the binding has to refuse it.
add_library(qhy5v_incomplete SHARED ${CMAKE_CURRENT_LIST_DIR}/IncompleteDriver.cpp)
set_target_properties(qhy5v_incomplete PROPERTIES OUTPUT_NAME qhy5v-incomplete)
target_link_libraries(qhy5v_incomplete PRIVATE orbicap_driver_abi)

orbicap_add_test(sim_driver_tests
  SOURCES
    ${CMAKE_CURRENT_LIST_DIR}/SimBindingTest.cpp
    ${CMAKE_CURRENT_LIST_DIR}/SimExposureTest.cpp
    ${CMAKE_CURRENT_LIST_DIR}/SimPictureTest.cpp
    ${CMAKE_CURRENT_LIST_DIR}/SimSceneTest.cpp
    ${CMAKE_CURRENT_LIST_DIR}/SimDemosaicTest.cpp
  LIBS orbicap_capture)
add_dependencies(sim_driver_tests qhy5v_sim qhy5v_incomplete)
