# zrm-host: the Qt desktop host (zrm_qt is defined after apps/, so it is
# named here and resolved when the build is generated). The package is
# loaded at run time (dlopen), never linked.
if(ZRM_QT AND TARGET Pkg_zrm90000)
  add_executable(zrm-host ${CMAKE_CURRENT_LIST_DIR}/zrm_host_main.cpp)
  target_link_libraries(zrm-host PRIVATE zrm_qt)
  set_target_properties(zrm-host PROPERTIES ENABLE_EXPORTS ON)
  add_dependencies(zrm-host Pkg_zrm90000)
endif()
