add_executable(pipeline_bench ${CMAKE_CURRENT_LIST_DIR}/pipeline_bench.cpp)
target_link_libraries(pipeline_bench PRIVATE orbicap_pipeline benchmark::benchmark)
target_include_directories(pipeline_bench PRIVATE ${CMAKE_SOURCE_DIR})

# The display refresh with the image view, offscreen.
add_executable(display_bench ${CMAKE_CURRENT_LIST_DIR}/display_bench.cpp)
target_link_libraries(display_bench PRIVATE orbicap_ui Qt6::Widgets benchmark::benchmark)
target_include_directories(display_bench PRIVATE ${CMAKE_SOURCE_DIR})
