// Rows handed to a second thread arrive whole and in order, whatever their
// texts (the reader's own buffers are overwritten after each row); a
// failure of the writer reaches the reader and stops both; a selection
// smaller than a block is written on the reader's thread.
#include <gtest/gtest.h>

#include <chrono>
#include <stdexcept>
#include <string>
#include <thread>
#include <vector>

#include "cell_text.h"
#include "server/row_hand_off.h"

namespace {

using Rows = std::vector<std::vector<std::string>>;

// Row `i` of a selection: its texts are as long as `textBytes(i)`.
template <class TextBytes>
std::vector<std::string> MakeRow(int i, TextBytes textBytes) {
    return {"text:" + std::string(textBytes(i), static_cast<char>('a' + i % 26)), "null",
            DescribeCell(vcl::Cell::Float(i * 0.5)), "datetime:" + std::to_string(i), "text:"};
}

// Hands `count` rows over, the cells' texts living in one buffer that the
// next row overwrites, as a statement's do.
template <class TextBytes>
void AddRows(server::RowHandOff& handOff, int count, TextBytes textBytes) {
    std::string buffer;
    for (int i = 0; i < count; ++i) {
        buffer.assign(textBytes(i), static_cast<char>('a' + i % 26));
        const std::vector<vcl::Cell> cells{vcl::Cell::Text(buffer), vcl::Cell::Null(),
                                           vcl::Cell::Float(i * 0.5), vcl::Cell::DateTime(vcl::TDateTime{i}),
                                           vcl::Cell::Text("")};
        handOff.Add(cells);
        buffer.assign(buffer.size(), '#');
    }
}

TEST(RowHandOff, RowsArriveWholeAndInOrderOnTheWritersThread) {
    struct Case {
        const char* name;
        int rows;
        std::size_t (*textBytes)(int);
        bool onReadersThread;
    };
    const Case cases[] = {
        {"less than a block", 10, [](int i) { return std::size_t(i % 5); }, true},
        {"many blocks", 5'000, [](int i) { return std::size_t(i % 40); }, false},
        {"texts larger than a block's buffer", 40,
         [](int i) { return std::size_t(i % 3 == 0 ? 200'000 : 10); }, false},
    };
    for (const Case& c : cases) {
        Rows written;
        std::vector<std::thread::id> threads;
        {
            server::RowHandOff handOff(
                [&](std::span<const vcl::Cell> cells) {
                    std::vector<std::string> row;
                    for (const vcl::Cell& cell : cells)
                        row.push_back(DescribeCell(cell));
                    written.push_back(std::move(row));
                    threads.push_back(std::this_thread::get_id());
                },
                16);
            AddRows(handOff, c.rows, c.textBytes);
            handOff.Drain();
        }
        Rows expected;
        for (int i = 0; i < c.rows; ++i)
            expected.push_back(MakeRow(i, c.textBytes));
        EXPECT_EQ(written, expected) << c.name;
        for (const std::thread::id& id : threads)
            ASSERT_EQ(id == std::this_thread::get_id(), c.onReadersThread) << c.name;
    }
}

TEST(RowHandOff, TheWritersFailureReachesTheReaderAndStopsIt) {
    int writtenRows = 0;
    server::RowHandOff handOff(
        [&](std::span<const vcl::Cell>) {
            if (++writtenRows == 40)
                throw std::runtime_error("client gone");
        },
        8);
    const auto addForever = [&] {
        for (int i = 0; i < 1'000'000; ++i)
            AddRows(handOff, 1, [](int) { return std::size_t(3); });
    };
    EXPECT_THROW(addForever(), std::runtime_error);
    EXPECT_THROW(handOff.Drain(), std::runtime_error);
    EXPECT_EQ(writtenRows, 40);
}

TEST(RowHandOff, AReaderThatGivesUpStopsTheWriterAfterItsCurrentBlock) {
    constexpr std::size_t kBlockRows = 4;
    std::vector<double> written;
    {
        server::RowHandOff handOff(
            [&](std::span<const vcl::Cell> cells) {
                written.push_back(cells[2].number());
                std::this_thread::sleep_for(std::chrono::milliseconds(2));
            },
            kBlockRows);
        AddRows(handOff, 100, [](int) { return std::size_t(5); });
        // No Drain: the reader failed; the blocks still waiting are dropped.
    }
    ASSERT_LT(written.size(), 100u);
    EXPECT_EQ(written.size() % kBlockRows, 0u);
    for (std::size_t i = 0; i < written.size(); ++i)
        EXPECT_EQ(written[i], static_cast<double>(i) * 0.5);
}

}  // namespace
