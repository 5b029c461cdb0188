// Collecting the bytes of a type-11 or type-13 reply in m_strRxBuf.
#pragma once

#include <cstdint>

class CRelvanDlg;

// Appends `byte` to the reply being received and remembers it in m_cLastRx.
// A reply that has grown past kMaxByteReply without ending is dropped with a
// log line first, so the parser starts afresh with this byte.
void AppendReplyByte(CRelvanDlg& dialog, std::uint8_t byte);
