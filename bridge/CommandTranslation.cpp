// The host's parameter list (kind 742072): eight ";"-separated exposure
// parameters turned into the type-17 commands DM, DG, DP, DA, DE, DB, DC and
// DF, the first at once and each further one after the generator's reply to
// the one before (timer 109).
#include "app/RelvanDlg.h"
#include "bridge/DebugLog.h"
#include "bridge/DecimalText.h"
#include "bridge/TextFormat.h"
#include "support/Token.h"

namespace {

constexpr int kLastStep = 7;
constexpr int kLeaveOutDF = 99;

// The item's character at `position` as a text; empty when the item is shorter.
std::string CharAt(const std::string& item, std::size_t position) {
    return position < item.size() ? item.substr(position, 1) : std::string();
}

std::string LastChar(const std::string& item) {
    return item.empty() ? std::string() : item.substr(item.size() - 1);
}

// "%c%c%s%s%s": the two letters, then the item's first, second and last
// characters (DA, DE, DB).
std::string DigitCommand(char letter, const std::string& item) {
    return FormatText("%c%c%s%s%s", 'D', letter, CharAt(item, 0).c_str(), CharAt(item, 1).c_str(),
                      LastChar(item).c_str());
}

// The command for the list item at `step`; empty when that step sends nothing.
std::string StepCommand(int step, const std::string& item) {
    const int value = LeadingInt(item);
    switch (step) {
    case 0:
        return FormatText("%c%c%d", 'D', 'M', value);
    case 1:
        return FormatText("%c%c%c", 'D', 'G', value == 0 ? 'k' : 'g');
    case 2:
        return FormatText("%c%c%d", 'D', 'P', value);
    case 3:
        return DigitCommand('A', item);
    case 4:
        return DigitCommand('E', item);
    case 5:
        return DigitCommand('B', item);
    case 6:
        return FormatText("%c%c%s%s%s%s", 'D', 'C', CharAt(item, 0).c_str(),
                          CharAt(item, 1).c_str(), CharAt(item, 2).c_str(), LastChar(item).c_str());
    case kLastStep:
        return value == kLeaveOutDF ? std::string() : FormatText("%c%c%d", 'D', 'F', value);
    default:
        return std::string();
    }
}

} // namespace

void CRelvanDlg::OnParameterList(const HostRecord& record) {
    m_nStep = 0;
    CToken token(RecordText(record));
    token.SetDelimiter(";");
    const std::string first = token.NextToken();
    m_strParamList = token.GetRemainder();
    SendType17(StepCommand(0, first), 0);
    m_nStep = 1;
}

void CRelvanDlg::SetCommand() {
    CToken token(m_strParamList);
    token.SetDelimiter(";");
    const std::string item = token.NextToken();
    m_strParamList = token.GetRemainder();
    WriteTrace(*this,
               FormatText("SetCommand : %d-%s-%s", m_nStep, item.c_str(), m_strParamList.c_str()));
    const std::string command = StepCommand(m_nStep, item);
    if (!command.empty()) {
        SendType17(command, 0);
    }
    if (m_nStep >= kLastStep) {
        m_nStep = 0;
        m_strParamList.clear();
    } else {
        ++m_nStep;
    }
}
