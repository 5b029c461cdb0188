// The pure text helpers of the bridge: record text within its block, leading
// integers, the reply-code table and the type-17 units and pieces.
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

TEST(Type17Frames, CutsUnitsAtTheChecksumAfterEtxOrAtTheLineEndOfALine) {
    const std::string syn3stx = "\x16\x16\x16\x02";
    const struct {
        const char* name;
        std::string text;
        std::vector<std::string> units; // a line shows with a trailing '|'
        std::string pending;
    } cases[] = {
        {"frame",
         syn3stx + "AKV70\x03"
                   "c",
         {syn3stx + "AKV70"},
         ""},
        {"frame and the start of the next",
         syn3stx + "A1\x03"
                   "c\x16\x16\x02"
                   "AK",
         {syn3stx + "A1"},
         "\x16\x16\x02"
         "AK"},
        {"a checksum equal to ETX is a checksum",
         "\x16\x02"
         "A1\x03\x03\x16\x02"
         "A2\x03"
         "d",
         {"\x16\x02"
          "A1",
          "\x16\x02"
          "A2"},
         ""},
        {"a frame end due", syn3stx + "A1\x03", {}, syn3stx + "A1\x03"},
        {"a checksum 0 ends its frame",
         syn3stx + "B\x03" + std::string(1, '\0') + "Error 12\r\n",
         {syn3stx + "B", "Error 12|"},
         ""},
        {"zero bytes left out of the text",
         syn3stx + "A" + std::string(1, '\0') + "K\x03\x48",
         {syn3stx + "AK"},
         ""},
        {"line", "AKV70\r\n", {"AKV70|"}, ""},
        {"CR LF inside a frame", syn3stx + "AKV71\r\n\x03\x41", {syn3stx + "AKV71\r\n"}, ""},
        {"checksum CR, then LF", syn3stx + "A\x03\r\n", {syn3stx + "A"}, "\n"},
        {"lines and frames mixed",
         "Error 12\r\n" + syn3stx +
             "AX\x03"
             "cAKV70\r\n",
         {"Error 12|", syn3stx + "AX", "AKV70|"},
         ""},
    };
    for (const auto& c : cases) {
        std::string pending;
        std::vector<std::size_t> dropped;
        std::vector<std::string> units;
        for (const Type17Unit& unit : TakeType17Units(pending, c.text, dropped)) {
            units.push_back(unit.text + (unit.line ? "|" : ""));
        }
        EXPECT_EQ(units, c.units) << c.name;
        EXPECT_EQ(pending, c.pending) << c.name;
        EXPECT_TRUE(dropped.empty()) << c.name;
    }
}

TEST(Type17Frames, ATextThatNeverEndsIsDroppedAtTheBound) {
    std::string pending;
    std::vector<std::size_t> dropped;
    EXPECT_TRUE(TakeType17Units(pending, std::string(9000, 'x'), dropped).empty());
    EXPECT_EQ(dropped, (std::vector<std::size_t>{4096, 4096}));
    EXPECT_EQ(pending.size(), 9000u - 2 * 4096);
}

TEST(Type17Frames, PieceRewritesAndFraming) {
    std::string text = "A\r\nB\r\n";
    EXPECT_TRUE(RemoveLineEnds(text));
    EXPECT_EQ(text, "AB");
    EXPECT_FALSE(RemoveLineEnds(text));
    text = "Error 12 Error";
    EXPECT_TRUE(RewriteErrorReply(text));
    EXPECT_EQ(text, "ADZ 12 Error") << "only \"Error \" with its blank";
    text = "KV70";
    EXPECT_FALSE(RewriteErrorReply(text));
    EXPECT_EQ(StripFraming("\x16\x16\x02\x02"
                           "AKV\x03\x03"),
              "AKV");
    EXPECT_EQ(StripFraming("\x02\x16"
                           "A"),
              "\x16"
              "A"); // SYN only before STX
}
