# zrm-script: runs scenario files headlessly.
if(TARGET zrm_scenario)
  add_executable(zrm-script ${CMAKE_CURRENT_LIST_DIR}/zrm_script_main.cpp)
  target_link_libraries(zrm-script PRIVATE zrm_scenario zrm_options)
endif()
