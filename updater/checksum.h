// The two checksums of the firmware update protocol.
#pragma once

#include <cstddef>
#include <cstdint>

// Sum of the bytes, each unsigned, modulo 65536 (sent high byte first).
std::uint16_t AdditiveChecksum(const std::uint8_t* bytes, std::size_t count);

// CRC-16/XMODEM: polynomial 0x1021, initial 0, no reflection, no final XOR (sent low byte first).
std::uint16_t Crc16(const std::uint8_t* bytes, std::size_t count);
