// The case tables of the formats, run both ways: each row is a file's bytes and the values they hold; the
// test writes the values and compares with the bytes, and reads the bytes and compares with the values.
#pragma once

#include "base/Result.h"

#include <gtest/gtest.h>
#include <span>
#include <string>
#include <type_traits>

namespace glw::formats::test {

// Which ways a row holds: input the reader tolerates but the writer never gives only reads; values the
// writer keeps but the reader settles (blanks trimmed, say) only write.
enum class Way { Both, ReadOnly, WriteOnly };

template <class Value> struct CaseRow {
    const char* what;
    std::string bytes;
    Value value;
    Way way = Way::Both;
};

// Runs every row its ways: `write` gives the bytes of a value (a Result<std::string> or the bytes themselves),
// `read` the value of bytes (a Result<Value> or the value itself).
template <class Value, class Write, class Read>
void runBothWays(std::span<const CaseRow<Value>> rows, Write write, Read read) {
    for (const auto& row : rows) {
        if (row.way != Way::ReadOnly) {
            auto written = write(row.value);
            if constexpr (std::is_same_v<decltype(written), std::string>) {
                EXPECT_EQ(written, row.bytes) << row.what;
            } else {
                ASSERT_TRUE(written.ok()) << row.what << ": " << written.error().detail;
                EXPECT_EQ(*written, row.bytes) << row.what;
            }
        }
        if (row.way != Way::WriteOnly) {
            auto got = read(row.bytes);
            if constexpr (std::is_same_v<decltype(got), Value>) {
                EXPECT_EQ(got, row.value) << row.what;
            } else {
                ASSERT_TRUE(got.ok()) << row.what << ": " << got.error().detail;
                EXPECT_EQ(*got, row.value) << row.what;
            }
        }
    }
}

// A write refused as Invalid, with the message for the user.
inline void expectRefused(const Result<std::string>& written, const std::string& message) {
    ASSERT_FALSE(written.ok()) << message;
    EXPECT_EQ(written.error().code, ErrorCode::Invalid) << message;
    EXPECT_EQ(written.error().detail, message);
}

} // namespace glw::formats::test
