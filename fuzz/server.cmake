# fuzz_server: request bodies through the wire decoder and the method
# dispatch, against an in-memory demo database.
if(NOT TARGET zrm_db)
  add_subdirectory(${ZRM_ROOT}/db db)
endif()
zrm_fuzz_target(fuzz_server ${CMAKE_CURRENT_LIST_DIR}/fuzz_server.cpp zrm_server_core zrm_db vcl_data)

# fuzz_login: POST /login bodies through the parser and the login service.
zrm_fuzz_target(fuzz_login ${CMAKE_CURRENT_LIST_DIR}/fuzz_login.cpp zrm_server_core)
