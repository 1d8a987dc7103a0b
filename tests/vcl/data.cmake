# Tests of the data layer: variants, packets, wire, filters, datasets.
add_executable(test_vcl_data
  ${CMAKE_CURRENT_LIST_DIR}/data_variant_test.cpp
  ${CMAKE_CURRENT_LIST_DIR}/data_wire_test.cpp
  ${CMAKE_CURRENT_LIST_DIR}/data_wire_stream_test.cpp
  ${CMAKE_CURRENT_LIST_DIR}/data_answer_decoder_test.cpp
  ${CMAKE_CURRENT_LIST_DIR}/data_text_test.cpp
  ${CMAKE_CURRENT_LIST_DIR}/data_dataset_test.cpp
  ${CMAKE_CURRENT_LIST_DIR}/data_field_test.cpp
)
target_link_libraries(test_vcl_data PRIVATE vcl_data GTest::gtest_main)
gtest_discover_tests(test_vcl_data)
