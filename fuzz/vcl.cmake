# Data layer fuzz targets: the filter parser, the wire decoder (whole and in
# pieces), the edit mask.
zrm_fuzz_target(fuzz_filter fuzz_filter.cpp vcl_data)
zrm_fuzz_target(fuzz_wire fuzz_wire.cpp vcl_data)
zrm_fuzz_target(fuzz_mask fuzz_mask.cpp vcl_data)
zrm_fuzz_target(fuzz_answer_stream fuzz_answer_stream.cpp vcl_data)
