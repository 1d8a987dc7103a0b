// The parts of a streamed answer's decoding that run while its text arrives:
// finding where a packet's rows begin, and reading those rows into a column
// store as whole rows become available.
#pragma once

#include <cstddef>
#include <memory>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

#include "vcl/packet_store.h"
#include "vcl/row_block.h"
#include "vcl/wire_decode_internal.h"

namespace vcl::wire::detail {

// Where a packet's rows start in the text, and the text of its fields.
struct RowsStart {
    std::size_t rows = 0;  // offset of the rows' '['
    std::size_t fieldsBegin = 0, fieldsEnd = 0;
};

// Follows the nesting of the text (objects, arrays, strings) to find each
// {"packet":{"fields":[...],"rows":[ as it arrives. It does not check the
// text: what it finds is only a guess that the whole-text reading confirms.
class PacketFinder {
public:
    // Scans on from where it stopped up to `end`; stops at the '[' of a
    // packet's rows, which it steps over on the next call.
    std::optional<RowsStart> Scan(std::string_view text, std::size_t end);
    // Continues after the rows that Scan found, which end at `position`.
    void SkipTo(std::size_t position) { pos_ = position; }
    // Continues into the rows that Scan found, as into any array.
    void StepInto() { intoRows_ = true; }

private:
    struct Frame {
        bool object = false;
        bool expectKey = false;
        bool packetBody = false;  // the object that is the value of {"packet":
        bool fieldsArray = false;
        int member = 0;
        std::size_t keyBegin = 0, keyEnd = 0;  // the current member's key, without escapes
        std::size_t fieldsBegin = std::string::npos, fieldsEnd = std::string::npos;
        bool KeyIs(std::string_view text, std::string_view key) const {
            return keyEnd >= keyBegin && text.substr(keyBegin, keyEnd - keyBegin) == key;
        }
    };
    std::vector<Frame> frames_;
    std::size_t pos_ = 0;
    std::size_t stringBegin_ = 0;
    bool inString_ = false;
    bool escaped_ = false;
    bool stringHasEscape_ = false;
    bool intoRows_ = false;  // pos_ is at rows already reported: scan them as any array
};

// Reads a packet's rows while the text arrives, one whole row at a time.
// A row cut by the end of the available text is read again once more text
// is there. Reading that fails is given up at the end: the whole-text
// reading then meets the same text and reports what is wrong with it.
class StreamedRows {
public:
    StreamedRows(std::size_t start, std::vector<FieldDef> fields);

    enum class Progress { Reading, Done, Failed };
    // Reads what whole rows text[..end) holds; `final`: no more text will come.
    Progress Advance(std::string_view text, std::size_t end, bool final);

    std::size_t Start() const { return start_; }
    std::size_t Rows() const { return row_; }
    std::size_t End() const { return pos_; }  // after the rows' ']' once Done
    const std::shared_ptr<PacketStore>& Store() const { return store_; }

    // The text of the rows read so far, from after the rows' '[' to where
    // the next row starts: nothing needs it once read.
    std::size_t ReadTextBytes() const { return opened_ ? pos_ - (start_ + 1) : 0; }
    // That text was taken out of the text: positions past it move back.
    void Forget(std::size_t bytes);
    bool ForgotText() const { return forgot_; }

private:
    bool Step(JsonReader& reader, bool final);  // one row, or the opening '['; true when done
    void AppendRead();                          // the block's rows to the store, before the text moves

    std::size_t start_;
    std::size_t pos_;
    std::shared_ptr<PacketStore> store_;
    bool opened_ = false;
    std::size_t row_ = 0;
    RowBlock block_;
    std::size_t retryAt_ = 0;  // a failed step is tried again once the text reaches this size
    bool forgot_ = false;
};

}  // namespace vcl::wire::detail
