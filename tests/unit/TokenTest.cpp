#include "support/Token.h"

#include <gtest/gtest.h>

#include <vector>

namespace {

struct TokenCase {
    const char* name;
    std::string text;
    std::string delimiter;
    std::vector<std::string> pieces; // what successive NextToken calls give
};

class TokenCaseTest : public testing::TestWithParam<TokenCase> {};

TEST_P(TokenCaseTest, CutsIntoPieces) {
    const TokenCase& c = GetParam();
    CToken token(c.text);
    token.SetDelimiter(c.delimiter);
    for (std::size_t i = 0; i < c.pieces.size(); ++i) {
        EXPECT_EQ(token.NextToken(), c.pieces[i]) << "piece " << i;
    }
}

INSTANTIATE_TEST_SUITE_P(
    Token, TokenCaseTest,
    testing::Values(TokenCase{"ThreePieces", "a;b;c", ";", {"a", "b", "c", ""}},
                    TokenCase{"EmptyPieceInside", "a;;b", ";", {"a", "", "b", ""}},
                    TokenCase{"TrailingDelimiter", "a;b;", ";", {"a", "b", "", ""}},
                    TokenCase{"LeadingDelimiter", ";a", ";", {"", "a", ""}},
                    TokenCase{"NoDelimiter", "whole", ";", {"whole", "", ""}},
                    TokenCase{"EmptyText", "", ";", {"", ""}},
                    TokenCase{"OnlyDelimiter", ";", ";", {"", "", ""}},
                    TokenCase{"BlankByDefault", "ST 12 x", " ", {"ST", "12", "x", ""}},
                    TokenCase{"LongDelimiterSkipsOneCharacter", "a::b", "::", {"a", ":b", ""}},
                    TokenCase{"EmptyDelimiterCutsNothing", "a;b", "", {"a;b", ""}}),
    [](const testing::TestParamInfo<TokenCase>& tested) { return std::string(tested.param.name); });

TEST(TokenTest, BlankIsTheDelimiterAfterConstruction) {
    CToken token("12 34");
    EXPECT_EQ(token.NextToken(), "12");
    EXPECT_EQ(token.NextToken(), "34");
}

TEST(TokenTest, HasMoreTokensWithoutAnyDelimiterIsZero) {
    CToken token("whole");
    token.SetDelimiter(";");
    EXPECT_EQ(token.HasMoreTokens(), 0);
    EXPECT_EQ(token.NextToken(), "whole");
}

TEST(TokenTest, HasMoreTokensFollowsThePieces) {
    CToken token("x;y;z");
    token.SetDelimiter(";");
    EXPECT_EQ(token.HasMoreTokens(), 1);
    EXPECT_EQ(token.NextToken(), "x");
    EXPECT_EQ(token.HasMoreTokens(), 1); // "y;z" still holds one
    EXPECT_EQ(token.NextToken(), "y");
    EXPECT_EQ(token.HasMoreTokens(), 1); // "z" is pending
    EXPECT_EQ(token.NextToken(), "z");
    EXPECT_EQ(token.HasMoreTokens(), 0);
    EXPECT_EQ(token.NextToken(), "");
}

TEST(TokenTest, AfterTwoPiecesNothingIsLeft) {
    CToken token("x;y");
    token.SetDelimiter(";");
    EXPECT_EQ(token.NextToken(), "x");
    EXPECT_EQ(token.NextToken(), "y");
    EXPECT_EQ(token.HasMoreTokens(), 0);
    EXPECT_EQ(token.NextToken(), "");
}

TEST(TokenTest, RemainderIsWhatIsNotHandedOut) {
    CToken token("kV;mA;ms");
    token.SetDelimiter(";");
    EXPECT_EQ(token.GetRemainder(), "kV;mA;ms");
    token.NextToken();
    EXPECT_EQ(token.GetRemainder(), "mA;ms");
    token.NextToken();
    token.NextToken();
    EXPECT_EQ(token.GetRemainder(), "");
}

} // namespace
