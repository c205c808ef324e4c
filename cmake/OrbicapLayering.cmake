# The core must run headless: nothing below widgets/ may link Qt6::Widgets.
set(ORBICAP_HEADLESS_TARGETS orbicap_platform orbicap_capture orbicap_pipeline orbicap_recording
    orbicap_aids)

function(orbicap_check_layering)
  foreach(target IN LISTS ORBICAP_HEADLESS_TARGETS)
    if(NOT TARGET ${target})
      continue()
    endif()
    get_target_property(libs ${target} LINK_LIBRARIES)
    if(libs AND "Qt6::Widgets" IN_LIST libs)
      message(FATAL_ERROR "${target} links Qt6::Widgets; the core must stay headless")
    endif()
  endforeach()
endfunction()
