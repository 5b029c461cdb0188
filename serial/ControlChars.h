// Control characters on the serial wire.
#pragma once

constexpr char STX = 0x02;
constexpr char ETX = 0x03;
constexpr char ACK = 0x06;
constexpr char NAK = 0x15;
constexpr char SYN = 0x16;
