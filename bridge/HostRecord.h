// A WM_COPYDATA record as it arrived, and the safe reading of its text.
#pragma once

#include "platform/WinTypes.h"

#include <cstdint>
#include <string>

// Message kinds.
constexpr DWORD kKindGeneratorCommand = 742066;
constexpr DWORD kKindConsoleCommand = 742067;
constexpr DWORD kKindParameterList = 742072;
constexpr DWORD kKindReplyItem = 742065;
constexpr DWORD kKindConsoleState = 113;
constexpr DWORD kKindConsoleValue = 114;
constexpr DWORD kKindConsoleStatus = 112;

struct HostRecord {
    DWORD kind = 0;
    DWORD cbData = 0;           // the length of the block the system copied
    const void* data = nullptr; // may be null
};

// The record of a WM_COPYDATA message (lParam points to its COPYDATASTRUCT).
inline HostRecord HostRecordFrom(LPARAM lParam) {
    HostRecord record;
    const auto* cds = reinterpret_cast<const COPYDATASTRUCT*>(lParam);
    if (cds != nullptr) {
        record.kind = static_cast<DWORD>(cds->dwData);
        record.cbData = cds->cbData;
        record.data = cds->lpData;
    }
    return record;
}

// The text of the record: its bytes up to the first zero, read only within the
// delivered block (cbData bytes). A null block gives an empty text.
std::string RecordText(const HostRecord& record);
