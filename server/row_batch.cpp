#include "server/row_batch.h"

#include <algorithm>

namespace server {

namespace {

bool IsTextRead(ColumnRead read) {
    return read == ColumnRead::Text || read == ColumnRead::IsoDate;
}

}  // namespace

RowBatch::RowBatch(std::span<const SelectedColumn> columns, std::size_t rows)
    : columns_(columns), rows_(std::max<std::size_t>(1, rows)), vectors_(columns.size()) {
    Rewind();
}

std::size_t RowBatch::Size() const {
    return vectors_.empty() ? 0 : vectors_.front().indicators.size();
}

void RowBatch::Bind(soci::statement& statement) {
    for (std::size_t c = 0; c < columns_.size(); ++c) {
        Vectors& v = vectors_[c];
        if (IsTextRead(columns_[c].read))
            statement.exchange(soci::into(v.texts, v.indicators));
        else
            statement.exchange(soci::into(v.numbers, v.indicators));
    }
}

void RowBatch::Rewind() {
    for (std::size_t c = 0; c < columns_.size(); ++c) {
        Vectors& v = vectors_[c];
        v.indicators.resize(rows_);
        if (IsTextRead(columns_[c].read))
            v.texts.resize(rows_);  // keeps the strings' buffers of the last batch
        else
            v.numbers.resize(rows_);
    }
}

std::string_view RowBatch::Text(std::size_t column, std::size_t row) const {
    const Vectors& v = vectors_[column];
    return v.indicators[row] == soci::i_null ? std::string_view() : std::string_view(v.texts[row]);
}

vcl::Cell RowBatch::CellAt(std::size_t column, std::size_t row) const {
    const Vectors& v = vectors_[column];
    const bool null = v.indicators[row] == soci::i_null;
    if (IsTextRead(columns_[column].read))
        return CellOf(columns_[column].read, null, null ? std::string_view() : std::string_view(v.texts[row]),
                      0);
    return CellOf(columns_[column].read, null, {}, null ? 0.0 : v.numbers[row]);
}

void FetchBatches(soci::session& session, const SqlQuery& query, RowBatch& batch,
                  const std::function<void()>& onBatch) {
    soci::statement statement(session);
    batch.Rewind();  // a batch reused from an earlier statement was left at its last fetch's size
    batch.Bind(statement);
    for (const auto& value : query.Values())
        statement.exchange(soci::use(value));
    statement.alloc();
    statement.prepare(query.Text());
    statement.define_and_bind();
    // execute(true) fetches the first batch; an empty selection shrinks the vectors to nothing.
    bool more = statement.execute(true);
    while (more && batch.Size() > 0) {
        onBatch();
        batch.Rewind();
        more = statement.fetch();
    }
}

void RowCells(const RowBatch& batch, std::size_t row, std::vector<vcl::Cell>& out) {
    out.clear();
    for (std::size_t c = 0, n = batch.ColumnCount(); c < n; ++c)
        out.push_back(batch.CellAt(c, row));
}

}  // namespace server
