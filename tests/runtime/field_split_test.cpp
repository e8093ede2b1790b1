#include <gtest/gtest.h>
#include <string>
#include <vector>
#include "runtime/field_split.h"

namespace {

struct SplitCase {
    const char* text;
    char separator;
    std::vector<std::string> fields;
};

class SplitTest : public testing::TestWithParam<SplitCase> {};

TEST_P(SplitTest, CutsInPlace) {
    const SplitCase& c = GetParam();
    std::string buffer = c.text;
    FieldArray fields;
    InitArray(fields);
    Split(&buffer[0], c.separator, fields);
    std::vector<std::string> got;
    for (uint32_t i = 0; i < fields.count; ++i) {
        EXPECT_GE(fields[i], &buffer[0]);                      // points into the text
        EXPECT_LE(fields[i], &buffer[0] + buffer.size());
        got.push_back(fields[i]);
    }
    EXPECT_EQ(c.fields, got);
    Destroy(fields);
}

INSTANTIATE_TEST_SUITE_P(Cases, SplitTest, testing::Values(
    SplitCase{"", ';', {}},
    SplitCase{"a", ';', {"a"}},
    SplitCase{";;", ';', {"", ""}},
    SplitCase{"a,,b", ',', {"a", "", "b"}},
    SplitCase{",a", ',', {"", "a"}},
    SplitCase{"a,", ',', {"a"}},
    SplitCase{"e/orbital\\west\\tarrywin.exe;", ';', {"e/orbital\\west\\tarrywin.exe"}},
    SplitCase{"|x/y|z", '|', {"", "x/y", "z"}}));

TEST(Split, ResetsTheFieldsOfAnEarlierSplit) {
    char first[] = "a;b;c";
    char second[] = "d";
    FieldArray fields;
    InitArray(fields);
    Split(first, ';', fields);
    Split(second, ';', fields);
    ASSERT_EQ(1u, fields.count);
    EXPECT_STREQ("d", fields[0]);
    Destroy(fields);
}

}  // namespace
