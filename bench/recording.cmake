add_executable(writers_bench ${CMAKE_CURRENT_LIST_DIR}/writers_bench.cpp)
target_link_libraries(writers_bench PRIVATE orbicap_recording benchmark::benchmark)

# The SER rows' limit: writes from a ring of frame blocks another thread refills.
add_executable(ring_write ${CMAKE_CURRENT_LIST_DIR}/ring_write.cpp)
target_link_libraries(ring_write PRIVATE Threads::Threads)
