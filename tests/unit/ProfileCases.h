// INI reading cases shared by the native tests (our reader) and the Wine tests
// (the system's private-profile functions and our reader side by side), so the
// system is the judge of every expectation here.
#pragma once

#include <string>
#include <vector>

struct IniCase {
    const char* name;
    std::string content;
    std::string section;
    std::string key;
    std::string def;      // default of the string read
    std::string expected; // string read, through a 512-byte buffer
    int expectedInt;      // integer read, with kIniIntDefault as default
    bool fileMissing = false;
};

constexpr int kIniIntDefault = -7;

// A value cut to the first `count` letters of the alphabet, repeated.
inline std::string Letters(std::size_t count) {
    std::string text(count, 'a');
    for (std::size_t i = 0; i < count; ++i) {
        text[i] = static_cast<char>('a' + i % 26);
    }
    return text;
}

inline std::vector<IniCase> IniCases() {
    using namespace std::string_literals;
    const int d = kIniIntDefault;
    return {
        // Layout of the file.
        {"CrLf", "[Sec]\r\nKey=Value\r\n", "Sec", "Key", "d", "Value", 0},
        {"LfWithoutLastBreak", "[Sec]\nKey=42", "Sec", "Key", "d", "42", 42},
        {"CrOnly", "[Sec]\rKey=7\r", "Sec", "Key", "d", "7", 7},
        {"SectionAndKeyIgnoreCase", "[Sec]\r\nKey=5\r\n", "SEC", "kEY", "d", "5", 5},
        {"BlanksAndTabsTrimmed", "[Sec]\r\n  Key \t=  8 x \t \r\n", "Sec", "Key", "d", "8 x", 8},
        {"BlanksInSectionName", "[ Sec ]\r\nKey=V\r\n", "Sec", "Key", "d", "V", 0},
        {"RequestedNamesTrimmed", "[Sec]\r\nKey=V\r\n", " Sec ", "\tKey ", "d", "V", 0},
        {"TextAfterSectionHeader", "  [Sec]  junk\r\nKey=V\r\n", "Sec", "Key", "d", "V", 0},
        {"UnclosedSectionHeader", "[Sec\r\nKey=V\r\n", "Sec", "Key", "d", "d", d},
        {"KeyWithInnerBlank", "[A]\r\nMy Key = 9\r\n", "A", "my key", "d", "9", 9},
        {"ValueHoldsEquals", "[A]\r\nk=a=b\r\n", "A", "k", "d", "a=b", 0},
        {"KeysBeforeAnySection", "k=1\r\n[A]\r\n", "", "k", "d", "1", 1},
        {"LaterEmptySectionIgnored", "[]\r\nk=7\r\n", "", "k", "d", "d", d},
        {"Utf8ByteOrderMark", "\xEF\xBB\xBF[A]\r\nk=7\r\n", "A", "k", "d", "7", 7},
        {"OtherSectionsSkipped", "[A]\r\nk=1\r\n[B]\r\nk=2\r\n", "b", "K", "d", "2", 2},

        // Comments are lines whose key never matches.
        {"CommentLine", "[A]\r\n;k=1\r\n", "A", "k", "d", "d", d},
        {"IndentedCommentLine", "[A]\r\n  ;k=1\r\n", "A", "k", "d", "d", d},
        {"SemicolonInValueKept", "[A]\r\nk=1 ; c\r\n", "A", "k", "d", "1 ; c", 1},
        {"LineWithoutEquals", "[A]\r\nk\r\n", "A", "k", "d", "d", d},
        {"GarbageBeforeSection", "garbage\x01\x02\r\n[A]\r\nk=v\r\n", "A", "k", "d", "v", 0},

        // First one wins.
        {"DuplicateSectionFirstWins", "[A]\r\nk=1\r\n[A]\r\nk=2\r\nj=3\r\n", "A", "k", "d", "1", 1},
        {"KeyOnlyInSecondDuplicate", "[A]\r\nk=1\r\n[a]\r\nj=3\r\n", "A", "j", "d", "d", d},
        {"DuplicateKeyFirstWins", "[A]\r\nk=1\r\nk=2\r\n", "A", "k", "d", "1", 1},

        // Quotes.
        {"DoubleQuotesStripped", "[S]\r\nK=\"Value\"\r\n", "S", "K", "d", "Value", 0},
        {"SingleQuotesStripped", "[S]\r\nK='-3'\r\n", "S", "K", "d", "-3", -3},
        {"QuotedBlanksKept", "[S]\r\nK=  \"  q  \"  \r\n", "S", "K", "d", "  q  ", 0},
        {"OpeningQuoteOnly", "[S]\r\nK=\"Value\r\n", "S", "K", "d", "\"Value", 0},
        {"ClosingQuoteOnly", "[S]\r\nK=Value\"\r\n", "S", "K", "d", "Value\"", 0},
        {"OnlyOuterPairGoes", "[S]\r\nK=\"a\"b\"\r\n", "S", "K", "d", "a\"b", 0},
        {"MixedQuotesKept", "[S]\r\nK='mixed\"\r\n", "S", "K", "d", "'mixed\"", 0},
        {"EmptyQuotes", "[S]\r\nK=\"\"\r\n", "S", "K", "d", "", d},
        {"LoneQuote", "[S]\r\nK=\"\r\n", "S", "K", "d", "\"", 0},

        // Empty values and odd bytes.
        {"EmptyValue", "[A]\r\nk=\r\n", "A", "k", "d", "", d},
        {"NulEndsValue", "[S]\r\nK=12\0cd\r\n"s, "S", "K", "d", "12", 12},
        {"ControlBytesKept", "[S]\r\nK=\x01\x02z\r\n", "S", "K", "d", "\x01\x02z", 0},
        {"ControlZTrimmed", "[S]\r\nK=\x1a\x35\r\n", "S", "K", "d", "5", 5},
        {"EightBitBytesKept", "[A]\r\nk=\xE4\xF6\r\n", "A", "k", "d", "\xE4\xF6", 0},

        // The 512-byte buffer.
        {"LongValueCut", "[A]\r\nk=" + Letters(600) + "\r\n", "A", "k", "d", Letters(511), 0},
        {"LongQuotedValueCut", "[A]\r\nk=\"" + Letters(600) + "\"\r\n", "A", "k", "d", Letters(511),
         0},
        {"QuotedValueFits", "[A]\r\nk=\"" + Letters(510) + "\"\r\n", "A", "k", "d", Letters(510),
         0},
        {"QuotedValueOneTooLong", "[A]\r\nk=\"" + Letters(511) + "\"\r\n", "A", "k", "d",
         Letters(510), 0},

        // Defaults.
        {"MissingKey", "[Sec]\r\nKey=V\r\n", "Sec", "Missing", "def", "def", d},
        {"MissingSection", "[Sec]\r\nKey=V\r\n", "Nope", "Key", "def", "def", d},
        {"EmptyFile", "", "Sec", "Key", "def", "def", d},
        {"MissingFile", "", "Sec", "Key", "def", "def", d, true},
        {"DefaultTrailingBlanksDropped", "[A]\r\n", "A", "k", "  def  ", "  def", d},
        {"DefaultOfBlanksKeepsOne", "[A]\r\n", "A", "k", "   ", " ", d},
        {"DefaultQuotesStripped", "[A]\r\n", "A", "k", "\"def\"", "def", d},
        {"DefaultInnerQuotesKept", "[A]\r\n", "A", "k", "de\"f\"", "de\"f\"", d},
        {"DefaultLongCut", "[A]\r\n", "A", "k", Letters(520), Letters(511), d},

        // The integer reading.
        {"IntLeadingBlanks", "[A]\r\nk=  12\r\n", "A", "k", "d", "12", 12},
        {"IntMinus", "[A]\r\nk=-5\r\n", "A", "k", "d", "-5", -5},
        {"IntPlus", "[A]\r\nk=+5\r\n", "A", "k", "d", "+5", 5},
        {"IntLeadingDigits", "[A]\r\nk=12abc\r\n", "A", "k", "d", "12abc", 12},
        {"IntDigitsUpToBlank", "[A]\r\nk=1 2\r\n", "A", "k", "d", "1 2", 1},
        {"IntLeadingZero", "[A]\r\nk=010\r\n", "A", "k", "d", "010", 10},
        {"IntHexPrefix", "[A]\r\nk=0x10\r\n", "A", "k", "d", "0x10", 16},
        {"IntNegativeHex", "[A]\r\nk=-0x1F\r\n", "A", "k", "d", "-0x1F", -31},
        {"IntUpperHexPrefixNotOne", "[A]\r\nk=0X1f\r\n", "A", "k", "d", "0X1f", 0},
        {"IntOctalPrefix", "[A]\r\nk=0o17\r\n", "A", "k", "d", "0o17", 15},
        {"IntBinaryPrefix", "[A]\r\nk=0b101\r\n", "A", "k", "d", "0b101", 5},
        {"IntNoDigits", "[A]\r\nk=abc\r\n", "A", "k", "d", "abc", 0},
        {"IntSignAlone", "[A]\r\nk=-\r\n", "A", "k", "d", "-", 0},
        {"IntBlankAfterSign", "[A]\r\nk=- 5\r\n", "A", "k", "d", "- 5", 0},
        {"IntTwoSigns", "[A]\r\nk=--5\r\n", "A", "k", "d", "--5", 0},
        {"IntQuoted", "[A]\r\nk=\"-3\"\r\n", "A", "k", "d", "-3", -3},
        {"IntControlByteSkipped", "[A]\r\nk=\x01\x35\r\n", "A", "k", "d", "\x01\x35", 5},
        {"IntMaxPlusOneWraps", "[A]\r\nk=2147483648\r\n", "A", "k", "d", "2147483648",
         -2147483647 - 1},
        {"IntMinMinusOneWraps", "[A]\r\nk=-2147483649\r\n", "A", "k", "d", "-2147483649",
         2147483647},
        {"IntAllBitsIsMinusOne", "[A]\r\nk=4294967295\r\n", "A", "k", "d", "4294967295", -1},
        {"IntOverflowWraps", "[A]\r\nk=99999999999\r\n", "A", "k", "d", "99999999999", 1215752191},
        {"IntReadsTwentyNineCharacters", "[A]\r\nk=00000000000000000000000000012\r\n", "A", "k",
         "d", "00000000000000000000000000012", 12},
        {"IntLongerTextCut", "[A]\r\nk=0000000000000000000000000000012\r\n", "A", "k", "d",
         "0000000000000000000000000000012", 0},
    };
}

// Setting a key with the write function; `other` is a key of the same file
// that must read the same afterwards.
struct IniWriteCase {
    const char* name;
    std::string content;
    std::string section;
    std::string key;
    std::string value;
    std::string expected; // the file as our writer leaves it
    std::string otherSection;
    std::string otherKey;
    std::string otherValue;
};

inline std::vector<IniWriteCase> IniWriteCases() {
    return {
        {"ReplacesValueKeepsTheRest",
         "; head\r\n[A]\r\n  k = old  \r\n; c\r\nj=2\r\n\r\n[B]\r\nx=1\r\n", "a", "K", "new",
         "; head\r\n[A]\r\nk=new\r\n; c\r\nj=2\r\n\r\n[B]\r\nx=1\r\n", "A", "j", "2"},
        {"AddsKeyAtEndOfSection", "[A]\r\nk=1\r\n\r\n[B]\r\nx=1\r\n", "A", "n", "add",
         "[A]\r\nk=1\r\nn=add\r\n\r\n[B]\r\nx=1\r\n", "B", "x", "1"},
        {"AddsKeyToSectionWithoutKeys", "[A]\r\n[B]\r\nx=1\r\n", "A", "n", "-12",
         "[A]\r\nn=-12\r\n[B]\r\nx=1\r\n", "B", "x", "1"},
        {"AddsSectionAfterLastLine", "[A]\r\nk=1", "C", "n", "sec",
         "[A]\r\nk=1\r\n[C]\r\nn=sec\r\n", "A", "k", "1"},
        {"KeepsLfLines", "[A]\nk=1\nj=2\n", "A", "k", "2", "[A]\nk=2\nj=2\n", "A", "j", "2"},
        {"AddsToLfFileWithLf", "[A]\nk=1\n", "A", "j", "3", "[A]\nk=1\nj=3\n", "A", "k", "1"},
        {"EmptyFile", "", "C", "n", "v", "[C]\r\nn=v\r\n", "C", "x", ""},
    };
}
