// A cell as exact text, for comparing rows: its kind, and the bytes or bits
// it carries.
#pragma once

#include <bit>
#include <cstdint>
#include <string>

#include "vcl/data_packet.h"

inline std::string DescribeCell(const vcl::Cell& cell) {
    switch (cell.kind()) {
        case vcl::Cell::Kind::Null:
            return "null";
        case vcl::Cell::Kind::Text:
            return "text:" + std::string(cell.text());
        case vcl::Cell::Kind::Float:
            return "float:" + std::to_string(std::bit_cast<std::uint64_t>(cell.number()));
        case vcl::Cell::Kind::DateTime:
            return "datetime:" + std::to_string(cell.seconds());
    }
    return "?";
}
