// The pure text helpers of the bridge: record text within its block, leading
// integers, the reply-code table and the type-17 frame pieces.
#include "bridge/DecimalText.h"
#include "bridge/HostRecord.h"
#include "bridge/ReplyCodeTable.h"
#include "protocols/Type17Frames.h"

#include <gtest/gtest.h>

#include <climits>
#include <memory>

TEST(RecordText, ReadsOnlyWithinTheBlockAndStopsAtTheFirstNul) {
    // Exact-size heap blocks, so a read past one is caught by the sanitizer.
    const struct {
        std::string block;
        bool null;
        DWORD cbData;
        std::string text;
    } cases[] = {
        {"", true, 5, ""},                              // null data with a code number
        {"ABC", false, 0, ""},                          // nothing delivered
        {"ABCDEF", false, 3, "ABC"},                    // unterminated within the block
        {std::string("KV\0\0\0\0", 6), false, 6, "KV"}, // block larger than the text
        {std::string("A\0B", 3), false, 3, "A"},
    };
    for (const auto& c : cases) {
        std::unique_ptr<char[]> block(new char[c.cbData > 0 ? c.cbData : 1]);
        std::copy(c.block.begin(),
                  c.block.begin() + std::min<std::size_t>(c.cbData, c.block.size()), block.get());
        const HostRecord record{742066, c.cbData, c.null ? nullptr : block.get()};
        EXPECT_EQ(RecordText(record), c.text) << c.block;
    }
}

TEST(LeadingInt, ReadsSignAndLeadingDigitsAndHoldsAtTheIntRange) {
    const std::pair<const char*, int> cases[] = {
        {"", 0},
        {"abc", 0},
        {"12abc", 12},
        {"-7", -7},
        {"+5", 5},
        {"  42", 42},
        {"-", 0},
        {"2147483647", INT_MAX},
        {"2147483648", INT_MAX},
        {"-2147483648", INT_MIN},
        {"99999999999999999999", INT_MAX},
        {"-99999999999999999999", INT_MIN},
        {"1 2", 1},
    };
    for (const auto& [text, value] : cases) {
        EXPECT_EQ(LeadingInt(text), value) << text;
    }
}

TEST(ReplyCodeTable, OrderAndCaseInsensitiveLookup) {
    EXPECT_EQ(std::string(kReplyCodes[0]), "KV");
    EXPECT_EQ(std::string(kReplyCodes[kReplyCodePR]), "PR");
    EXPECT_EQ(std::string(kReplyCodes[kReplyCodeXR]), "XR");
    EXPECT_EQ(std::string(kReplyCodes[27]), "FLK");
    EXPECT_EQ(std::string(kReplyCodes[55]), "PW");
    for (int index = 0; index < kReplyCodeCount; ++index) {
        EXPECT_EQ(ReplyCodeIndex(kReplyCodes[index]), index) << kReplyCodes[index];
    }
    EXPECT_EQ(ReplyCodeIndex("fld"), 38);
    EXPECT_EQ(ReplyCodeIndex(""), -1);
    EXPECT_EQ(ReplyCodeIndex("K"), -1);
    EXPECT_EQ(ReplyCodeIndex("KVX"), -1);
}

TEST(SplitReplyItem, FirstCodeInTableOrderWinsAndEveryOccurrenceGoes) {
    const struct {
        const char* item;
        int index;
        const char* code;
        const char* value;
    } cases[] = {
        {"MA100", 1, "MA", "100"}, {"FLDMA", 1, "MA", "FLD"}, {"KV7KV", 0, "KV", "7"},
        {"MMAA", 1, "MA", "MA"},   {"ma100", 0, "", ""},      {"", 0, "", ""},
        {"FLD3", 38, "FLD", "3"},
    };
    for (const auto& c : cases) {
        std::string code = "old";
        std::string value = "old";
        EXPECT_EQ(SplitReplyItem(c.item, code, value), c.index) << c.item;
        EXPECT_EQ(code, c.code) << c.item;
        EXPECT_EQ(value, c.value) << c.item;
    }
}

TEST(Type17Frames, CollectsPiecesKeepsTheStartOfTheNextAndStopsAtAnEmptyPiece) {
    const struct {
        std::string text;
        std::vector<std::string> frames;
        std::string pending;
    } cases[] = {
        {"\x16\x16\x16\x02"
         "AKV70\x03"
         "c",
         {"\x16\x16\x02"
          "AKV70"},
         ""},
        {"\x16\x02"
         "A1\x03"
         "c\x16\x02"
         "A2\x03"
         "d",
         {"\x02"
          "A1",
          "\x16\x02"
          "A2"},
         ""},
        {"\x16\x02"
         "A1\x03"
         "c\x16\x16\x02"
         "AK",
         {"\x02"
          "A1"},
         "\x16\x16\x02"
         "AK"},
        {"\x16\x02"
         "A1\x03\x03\x16\x02"
         "A2\x03"
         "d",
         {"\x02"
          "A1",
          "\x16\x02"
          "A2"},
         ""}, // a checksum equal to ETX is a checksum, not an end of frame
        {"\x16\x02"
         "A1\x03"
         "c\x03\x16\x02"
         "A2\x03"
         "d",
         {"\x02"
          "A1"},
         ""}, // empty piece ends it
        {"\x03", {}, ""},
    };
    for (const auto& c : cases) {
        const Type17Pieces pieces = CollectType17Frames(c.text);
        EXPECT_EQ(pieces.frames, c.frames);
        EXPECT_EQ(pieces.pending, c.pending);
    }
    EXPECT_EQ(StripFraming("\x16\x16\x02\x02"
                           "AKV\x03\x03"),
              "AKV");
    EXPECT_EQ(StripFraming("\x02\x16"
                           "A"),
              "\x16"
              "A"); // SYN only before STX
}
