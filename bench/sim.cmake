# Frames per second of the simulated camera, unpaced, against memcpy of the
# same frame in the same run.
add_executable(sim_bench ${CMAKE_CURRENT_LIST_DIR}/sim_bench.cpp)
target_link_libraries(sim_bench PRIVATE orbicap_capture benchmark::benchmark)
target_compile_definitions(sim_bench PRIVATE
  ORBICAP_LIB_DIR="${CMAKE_LIBRARY_OUTPUT_DIRECTORY}")
add_dependencies(sim_bench qhy5v_sim)
