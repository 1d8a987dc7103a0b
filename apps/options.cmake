# The programs' command lines and configuration files (CLI11, toml++).
pkg_check_modules(TOMLPP REQUIRED IMPORTED_TARGET tomlplusplus)
add_library(zrm_options
  ${CMAKE_CURRENT_LIST_DIR}/options/toml_config.cpp
  ${CMAKE_CURRENT_LIST_DIR}/options/common_options.cpp
  ${CMAKE_CURRENT_LIST_DIR}/options/server_options.cpp
  ${CMAKE_CURRENT_LIST_DIR}/options/security_options.cpp
  ${CMAKE_CURRENT_LIST_DIR}/options/host_options.cpp
)
target_include_directories(zrm_options PUBLIC ${PROJECT_SOURCE_DIR})
target_compile_definitions(zrm_options PRIVATE ZRM_VERSION="${PROJECT_VERSION}")
target_link_libraries(zrm_options PUBLIC PkgConfig::TOMLPP)
# CLI11 is header-only and most of each options file's compile time.
target_precompile_headers(zrm_options PRIVATE <CLI/CLI.hpp>)
