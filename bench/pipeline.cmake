add_executable(pipeline_bench ${CMAKE_CURRENT_LIST_DIR}/pipeline_bench.cpp)
target_link_libraries(pipeline_bench PRIVATE orbicap_pipeline benchmark::benchmark)
target_include_directories(pipeline_bench PRIVATE ${CMAKE_SOURCE_DIR})
