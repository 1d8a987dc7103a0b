# vcl_data: calendar, variants, data packets, wire encoding, client datasets.
add_library(vcl_data
  ${CMAKE_CURRENT_LIST_DIR}/calendar.cpp
  ${CMAKE_CURRENT_LIST_DIR}/component.cpp
  ${CMAKE_CURRENT_LIST_DIR}/variant.cpp
  ${CMAKE_CURRENT_LIST_DIR}/memory_advice.cpp
  ${CMAKE_CURRENT_LIST_DIR}/string_dict.cpp
  ${CMAKE_CURRENT_LIST_DIR}/packet_store.cpp
  ${CMAKE_CURRENT_LIST_DIR}/data_packet.cpp
  ${CMAKE_CURRENT_LIST_DIR}/text_format.cpp
  ${CMAKE_CURRENT_LIST_DIR}/mask_text.cpp
  ${CMAKE_CURRENT_LIST_DIR}/net_address.cpp
  ${CMAKE_CURRENT_LIST_DIR}/wire_text.cpp
  ${CMAKE_CURRENT_LIST_DIR}/wire_encode.cpp
  ${CMAKE_CURRENT_LIST_DIR}/wire_stream.cpp
  ${CMAKE_CURRENT_LIST_DIR}/utf8_check.cpp
  ${CMAKE_CURRENT_LIST_DIR}/json_reader.cpp
  ${CMAKE_CURRENT_LIST_DIR}/wire_decode.cpp
  ${CMAKE_CURRENT_LIST_DIR}/streamed_rows.cpp
  ${CMAKE_CURRENT_LIST_DIR}/answer_decoder.cpp
  ${CMAKE_CURRENT_LIST_DIR}/filter.cpp
  ${CMAKE_CURRENT_LIST_DIR}/dataset_store.cpp
  ${CMAKE_CURRENT_LIST_DIR}/dataset.cpp
  ${CMAKE_CURRENT_LIST_DIR}/dataset_edit.cpp
  ${CMAKE_CURRENT_LIST_DIR}/field.cpp
  ${CMAKE_CURRENT_LIST_DIR}/data_source.cpp
)
target_include_directories(vcl_data PUBLIC ${CMAKE_CURRENT_LIST_DIR}/..)
