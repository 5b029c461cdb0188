// The reply-item code table shared with the host: the host receives a type-11
// reply item under the index of its code, so the order below is fixed.
#pragma once

#include <array>
#include <string>

constexpr int kReplyCodeCount = 56;
extern const std::array<const char*, kReplyCodeCount> kReplyCodes;

// Items the program answers to the generator itself instead of forwarding.
constexpr int kReplyCodePR = 17;
constexpr int kReplyCodeXR = 18;

// The index of `code` in the table, compared without regard to case; -1 when
// it is not there (also for an empty code).
int ReplyCodeIndex(const std::string& code);

// Cuts a reply item into code and value: the code is the first table entry,
// in index order, found anywhere in the item (case-sensitive); the value is
// the item with every occurrence of that code removed. Returns the index.
// When no code occurs both texts are empty and the result is 0.
int SplitReplyItem(const std::string& item, std::string& code, std::string& value);
