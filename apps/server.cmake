# zrm-server: the application server program, and the commands that look
# after its database.
add_executable(zrm-server ${CMAKE_CURRENT_LIST_DIR}/zrm_server_main.cpp)
target_link_libraries(zrm-server PRIVATE zrm_server zrm_db zrm_options)
