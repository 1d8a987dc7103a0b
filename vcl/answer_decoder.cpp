#include "vcl/answer_decoder.h"

#include <optional>
#include <string>
#include <vector>

#include "vcl/exceptions.h"
#include "vcl/json_reader.h"
#include "vcl/streamed_rows.h"
#include "vcl/utf8_check.h"
#include "vcl/wire_decode_internal.h"

namespace vcl::wire {

namespace {

// Where the text stops being made of whole UTF-8 sequences: before a
// sequence the end cuts, else the end.
std::size_t WholeSequencesEnd(std::string_view text) {
    const std::size_t size = text.size();
    for (std::size_t back = 1; back <= std::min<std::size_t>(3, size); ++back) {
        const auto byte = static_cast<unsigned char>(text[size - back]);
        if ((byte & 0xC0) == 0x80)
            continue;  // a continuation byte: its lead is further back
        const std::size_t length = byte >= 0xF0 ? 4 : byte >= 0xE0 ? 3 : byte >= 0xC0 ? 2 : 1;
        return length > back ? size - back : size;
    }
    return size;
}

}  // namespace

// The text is kept but for the rows read while they arrived: once a
// packet's rows read so far pass kForgetBytes, their text is taken out, so
// that a large answer never sits whole in memory. The reading at the end
// goes over what is kept and steps over each packet's rows read before;
// offsets in its messages count what was taken out.
struct AnswerDecoder::State {
    static constexpr std::size_t kForgetBytes = std::size_t{1} << 20;

    std::string text;
    std::size_t checked = 0;  // text[0, checked) is valid UTF-8 ending at a whole sequence
    bool invalid = false;
    detail::PacketFinder finder;
    std::optional<detail::StreamedRows> reading;
    std::vector<detail::StreamedRows> read;
    // Rows whose reading failed at the end after text was taken out: the
    // reading at the end goes on from where it stopped.
    std::optional<detail::StreamedRows> resumed;
    std::vector<TextCut> cuts;

    void ReadOn(bool final);
    void ForgetReadRows();
    bool TakeRows(JsonReader& reader, std::shared_ptr<PacketStore>& store) const;
};

void AnswerDecoder::State::ReadOn(bool final) {
    for (;;) {
        if (reading) {
            switch (reading->Advance(text, checked, final)) {
                case detail::StreamedRows::Progress::Reading:
                    return;
                case detail::StreamedRows::Progress::Failed:
                    if (reading->ForgotText())
                        resumed = std::move(reading);
                    reading.reset();
                    return;
                case detail::StreamedRows::Progress::Done:
                    finder.SkipTo(reading->End());
                    read.push_back(std::move(*reading));
                    reading.reset();
                    break;
            }
        }
        if (final)
            return;  // what is left is read once, by the reading of the whole text
        const std::optional<detail::RowsStart> found = finder.Scan(text, checked);
        if (!found)
            return;
        try {
            JsonReader fields(
                std::string_view(text).substr(found->fieldsBegin, found->fieldsEnd - found->fieldsBegin));
            reading.emplace(found->rows, detail::ReadPacketFields(fields));
        } catch (const EWireError&) {
            finder.StepInto();  // fields it cannot read: the whole-text reading will say why
        }
    }
}

void AnswerDecoder::State::ForgetReadRows() {
    if (!reading || reading->ReadTextBytes() < kForgetBytes)
        return;
    const std::size_t at = reading->Start() + 1;
    const std::size_t bytes = reading->ReadTextBytes();
    text.erase(at, bytes);
    checked -= bytes;
    reading->Forget(bytes);
    if (!cuts.empty() && cuts.back().at == at)
        cuts.back().bytes += bytes;
    else
        cuts.push_back({at, bytes});
}

bool AnswerDecoder::State::TakeRows(JsonReader& reader, std::shared_ptr<PacketStore>& store) const {
    reader.Peek();  // past blanks, as the rows reader starts
    for (const detail::StreamedRows& rows : read) {
        if (rows.Start() == reader.Position() && rows.Store()->fields == store->fields) {
            store = rows.Store();
            reader.Seek(rows.End());
            return true;
        }
    }
    if (resumed && resumed->Start() == reader.Position() && resumed->Store()->fields == store->fields) {
        // Its rows up to where it failed are in its store; their text is gone.
        store = resumed->Store();
        reader.Seek(resumed->End());
        detail::ReadRowsFrom(reader, *store, resumed->Rows());
        return true;
    }
    return false;
}

AnswerDecoder::AnswerDecoder() : state_(std::make_unique<State>()) {}
AnswerDecoder::~AnswerDecoder() = default;
AnswerDecoder::AnswerDecoder(AnswerDecoder&&) noexcept = default;
AnswerDecoder& AnswerDecoder::operator=(AnswerDecoder&&) noexcept = default;

void AnswerDecoder::Feed(std::string_view piece) {
    State& state = *state_;
    state.text.append(piece);
    if (state.invalid)
        return;
    const std::size_t whole = WholeSequencesEnd(state.text);
    if (!utf8::IsValid(std::string_view(state.text).substr(state.checked, whole - state.checked))) {
        state.invalid = true;  // the answer is wrong whatever follows
        state.reading.reset();
        return;
    }
    state.checked = whole;
    state.ReadOn(false);
    state.ForgetReadRows();
}

std::size_t AnswerDecoder::RowsRead() const {
    std::size_t rows = state_->reading ? state_->reading->Rows() : 0;
    for (const detail::StreamedRows& done : state_->read)
        rows += done.Rows();
    return rows;
}

Answer AnswerDecoder::Finish() {
    State& state = *state_;
    const std::string_view text = state.text;
    if (state.invalid || !utf8::IsValid(text.substr(state.checked)))
        return DecodeAnswer(text);  // reports the invalid UTF-8 as the whole-text reading does
    state.checked = text.size();
    state.ReadOn(true);
    return detail::DecodeCheckedAnswer(
        text,
        [&state](JsonReader& reader, std::shared_ptr<PacketStore>& store) {
            return state.TakeRows(reader, store);
        },
        state.cuts);
}

}  // namespace vcl::wire
