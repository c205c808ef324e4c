add_executable(writers_bench ${CMAKE_CURRENT_LIST_DIR}/writers_bench.cpp)
target_link_libraries(writers_bench PRIVATE orbicap_recording benchmark::benchmark)
