# The controls: graphics, controls, forms with the focus walk, the data grid
# and the application object.
add_library(vcl_ui
  ${CMAKE_CURRENT_LIST_DIR}/pixel_font.cpp
  ${CMAKE_CURRENT_LIST_DIR}/graphics.cpp
  ${CMAKE_CURRENT_LIST_DIR}/controls.cpp
  ${CMAKE_CURRENT_LIST_DIR}/mask_edit.cpp
  ${CMAKE_CURRENT_LIST_DIR}/forms.cpp
  ${CMAKE_CURRENT_LIST_DIR}/focus.cpp
  ${CMAKE_CURRENT_LIST_DIR}/application.cpp
  ${CMAKE_CURRENT_LIST_DIR}/grid.cpp
  ${CMAKE_CURRENT_LIST_DIR}/grid_draw.cpp
)
target_include_directories(vcl_ui PUBLIC ${PROJECT_SOURCE_DIR})
target_link_libraries(vcl_ui PUBLIC vcl_data)
