#include "console/HostExposure.h"

#include "bridge/DecimalText.h"

#include <cstdlib>
#include <vector>

namespace {

constexpr std::size_t kFieldCount = 9;

std::vector<std::string> SplitFields(const std::string& text) {
    std::vector<std::string> fields;
    std::size_t start = 0;
    while (fields.size() < kFieldCount) {
        const std::size_t end = text.find(';', start);
        fields.push_back(text.substr(start, end == std::string::npos ? end : end - start));
        if (end == std::string::npos) {
            break;
        }
        start = end + 1;
    }
    fields.resize(kFieldCount);
    return fields;
}

double Decimal(const std::string& text) {
    return std::strtod(text.c_str(), nullptr);
}

} // namespace

HostExposure ParseHostExposure(const std::string& text) {
    const std::vector<std::string> f = SplitFields(text);
    HostExposure exposure;
    exposure.kv = LeadingInt(f[0]);
    exposure.ma = LeadingInt(f[1]);
    exposure.sec = Decimal(f[2]);
    exposure.mas = Decimal(f[3]);
    exposure.mode = LeadingInt(f[4]);
    exposure.fieldOnes = LeadingInt(f[6]);
    exposure.fieldTens = LeadingInt(f[7]);
    exposure.fieldHundreds = LeadingInt(f[8]);
    return exposure;
}
