#include "vcl/wire_stream.h"

#include <algorithm>

#include "vcl/exceptions.h"
#include "vcl/wire.h"
#include "vcl/wire_text.h"

namespace vcl::wire {

AnswerWriter::AnswerWriter(TextSink sink, std::size_t pieceBytes)
    : sink_(std::move(sink)), pieceBytes_(std::max<std::size_t>(pieceBytes, 1)) {
    out_.reserve(pieceBytes_ + pieceBytes_ / 4);
    out_ += "{\"result\":";
}

void AnswerWriter::BeforeValue() {
    if (arrayIsEmpty_.empty())
        return;
    if (!arrayIsEmpty_.back())
        out_.push_back(',');
    arrayIsEmpty_.back() = false;
}

void AnswerWriter::HandOverIfFull() {
    if (out_.size() >= pieceBytes_) {
        sink_(out_);
        out_.clear();
    }
}

void AnswerWriter::BeginArray() {
    BeforeValue();
    out_.push_back('[');
    arrayIsEmpty_.push_back(true);
}

void AnswerWriter::EndArray() {
    out_.push_back(']');
    arrayIsEmpty_.pop_back();
}

void AnswerWriter::Value(const Variant& value) {
    BeforeValue();
    EncodeTo(value, out_);
    HandOverIfFull();
}

void AnswerWriter::BeginPacket(std::vector<FieldDef> fields) {
    BeforeValue();
    fields_ = std::move(fields);
    firstRow_ = true;
    text::AppendPacketHead(fields_, out_);
}

void AnswerWriter::Row(std::span<const Cell> cells) {
    if (cells.size() != fields_.size())
        throw EConvertError("Registro com " + std::to_string(cells.size()) + " valores para " +
                            std::to_string(fields_.size()) + " campos");
    for (std::size_t i = 0; i < cells.size(); ++i) {
        CheckCellFits(fields_[i], cells[i]);
        if (cells[i].kind() == Cell::Kind::Text)
            text::CheckUtf8(cells[i].text());
    }
    if (!firstRow_)
        out_.push_back(',');
    firstRow_ = false;
    out_.push_back('[');
    for (std::size_t i = 0; i < cells.size(); ++i) {
        if (i > 0)
            out_.push_back(',');
        text::AppendCell(cells[i], out_);
    }
    out_.push_back(']');
    HandOverIfFull();
}

void AnswerWriter::EndPacket() {
    out_ += text::kPacketTail;
    fields_.clear();
    HandOverIfFull();
}

void AnswerWriter::Finish(const std::map<int, Variant>& refs) {
    out_ += ",\"refs\":{";
    bool first = true;
    for (const auto& [position, value] : refs) {
        if (!first)
            out_.push_back(',');
        first = false;
        out_.push_back('"');
        text::AppendInteger(position, out_);
        out_ += "\":";
        EncodeTo(value, out_);
    }
    out_ += "}}";
    sink_(out_);
    out_.clear();
}

}  // namespace vcl::wire
