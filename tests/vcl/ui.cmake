add_executable(test_vcl_ui
  ${CMAKE_CURRENT_LIST_DIR}/ui_graphics_test.cpp
  ${CMAKE_CURRENT_LIST_DIR}/ui_controls_test.cpp
  ${CMAKE_CURRENT_LIST_DIR}/ui_focus_test.cpp
  ${CMAKE_CURRENT_LIST_DIR}/ui_application_test.cpp
  ${CMAKE_CURRENT_LIST_DIR}/ui_grid_test.cpp
  ${CMAKE_CURRENT_LIST_DIR}/ui_grid_draw_test.cpp
)
target_link_libraries(test_vcl_ui PRIVATE vcl_ui GTest::gtest_main)
gtest_discover_tests(test_vcl_ui)
