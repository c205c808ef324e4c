# The bare INDI stream client that gives the indi_stream row its limit; built
# where the INDI driver is.
if(TARGET qhy5v_indi)
  add_executable(indi_stream_counter ${CMAKE_CURRENT_LIST_DIR}/IndiStreamCounter.cpp)
  target_include_directories(indi_stream_counter SYSTEM PRIVATE ${INDI_CLIENT_INCLUDE_DIR}
                                                                ${INDI_CLIENT_INCLUDE_DIR}/libindi)
  target_link_libraries(indi_stream_counter PRIVATE ${INDI_CLIENT_LIBRARY} Threads::Threads)
  add_dependencies(indi_stream_counter qhy5v_indi orbicap-record)
endif()
