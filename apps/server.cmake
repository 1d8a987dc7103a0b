# zrm-server: the application server program, and init-db for its database.
add_executable(zrm-server ${CMAKE_CURRENT_LIST_DIR}/zrm_server_main.cpp)
target_link_libraries(zrm-server PRIVATE zrm_server zrm_db)
