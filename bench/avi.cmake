add_executable(avi_bench ${CMAKE_CURRENT_LIST_DIR}/avi_bench.cpp)
target_link_libraries(avi_bench PRIVATE orbicap_recording benchmark::benchmark)
