#include "vcl/streamed_rows.h"

#include <algorithm>

#include "vcl/exceptions.h"
#include "vcl/json_reader.h"

namespace vcl::wire::detail {

std::optional<RowsStart> PacketFinder::Scan(std::string_view text, std::size_t end) {
    for (; pos_ < end; ++pos_) {
        const char c = text[pos_];
        if (inString_) {
            if (escaped_) {
                escaped_ = false;
            } else if (c == '\\') {
                escaped_ = stringHasEscape_ = true;
            } else if (c == '"') {
                inString_ = false;
                if (!frames_.empty() && frames_.back().object && frames_.back().expectKey) {
                    Frame& frame = frames_.back();
                    frame.expectKey = false;
                    // A key written with escapes is never one looked for.
                    frame.keyBegin = stringHasEscape_ ? 1 : stringBegin_ + 1;
                    frame.keyEnd = stringHasEscape_ ? 0 : pos_;
                }
            }
            continue;
        }
        Frame* parent = frames_.empty() ? nullptr : &frames_.back();
        const bool inPacket = parent != nullptr && parent->packetBody && !parent->expectKey;
        switch (c) {
            case '"':
                inString_ = true;
                stringHasEscape_ = false;
                stringBegin_ = pos_;
                break;
            case '{': {
                Frame frame;
                frame.object = frame.expectKey = true;
                frame.packetBody = parent != nullptr && parent->object && !parent->expectKey &&
                                   parent->member == 0 && parent->KeyIs(text, "packet");
                frames_.push_back(frame);
                break;
            }
            case '[': {
                if (inPacket && !intoRows_ && parent->KeyIs(text, "rows") &&
                    parent->fieldsEnd != std::string::npos)
                    return RowsStart{pos_, parent->fieldsBegin, parent->fieldsEnd};
                intoRows_ = false;
                Frame frame;
                frame.fieldsArray = inPacket && parent->KeyIs(text, "fields");
                if (frame.fieldsArray)
                    parent->fieldsBegin = pos_;
                frames_.push_back(frame);
                break;
            }
            case ']':
            case '}':
                if (parent != nullptr) {
                    const bool fields = parent->fieldsArray;
                    frames_.pop_back();
                    if (fields && !frames_.empty())
                        frames_.back().fieldsEnd = pos_ + 1;
                }
                break;
            case ',':
                if (parent != nullptr && parent->object) {
                    parent->expectKey = true;
                    ++parent->member;
                }
                break;
            default:
                break;
        }
    }
    return std::nullopt;
}

StreamedRows::StreamedRows(std::size_t start, std::vector<FieldDef> fields)
    : start_(start), pos_(start), store_(std::make_shared<PacketStore>(std::move(fields))), block_(*store_) {}

void StreamedRows::Forget(std::size_t bytes) {
    pos_ -= bytes;
    retryAt_ = retryAt_ > bytes ? retryAt_ - bytes : 0;
    forgot_ = forgot_ || bytes > 0;
}

void StreamedRows::AppendRead() {
    block_.AppendTo(*store_);
}

StreamedRows::Progress StreamedRows::Advance(std::string_view text, std::size_t end, bool final) {
    if (!final && end < retryAt_)
        return Progress::Reading;
    for (;;) {
        JsonReader reader(text.substr(pos_, end - pos_));
        bool done = false;
        try {
            done = Step(reader, final);
        } catch (const EWireError&) {
            AppendRead();
            if (final)
                return Progress::Failed;
            // Cut by the end of the text, or wrong: tried again once the
            // text after this row's start has doubled, so a wrong row (or a
            // huge one) costs little before the end tells.
            retryAt_ = end + std::max<std::size_t>(end - pos_, 1);
            return Progress::Reading;
        }
        pos_ += reader.Position();
        if (done) {
            AppendRead();
            store_->rows = row_;
            for (auto& column : store_->columns)
                column->ShrinkIfSlack();
            return Progress::Done;
        }
    }
}

// Mirrors the whole-text rows reader; every decision is taken on a
// character that is there, never on the end of the available text.
bool StreamedRows::Step(JsonReader& reader, bool final) {
    if (!opened_) {
        reader.Expect('[');
        if (!final && reader.Peek() == '\0')
            reader.Fail("more text needed");
        opened_ = true;
        return reader.Consume(']');
    }
    block_.ReadRow(reader, *store_, row_);
    const bool more = reader.Consume(',');
    if (!more)
        reader.Expect(']');
    block_.Keep();
    ++row_;
    if (block_.Full())
        AppendRead();
    return !more;
}

}  // namespace vcl::wire::detail
