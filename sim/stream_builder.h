// Builds the byte stream the device sends: DCC packets as track bits (eight
// to a byte, first bit in the most significant position), Device info
// records and Motorola records.
#pragma once

#include <cstdint>
#include <string>
#include <vector>

class TStreamBuilder {
public:
    // Track bits given as bit characters; anything but '0' and '1' is skipped.
    void Bits(const std::string& bitChars);
    void Ones(int count);

    // A DCC packet: preamble ones, start bit, the bytes with '0' separators,
    // '1' end bit. The bytes are sent as given (no error-detection byte added).
    void Packet(const std::vector<uint8_t>& bytes, int preamble = 14);
    // The same with the error-detection byte (XOR of all bytes) appended.
    void DccPacket(const std::vector<uint8_t>& bytes, int preamble = 14);

    // Raw bytes at a byte boundary: a partly filled byte is first completed
    // with '1' bits, which read as more preamble.
    void RawBytes(const std::vector<uint8_t>& bytes);
    void DeviceInfo(uint8_t version, uint8_t parameter, char modeLetter);
    // A Motorola record: text characters, three raw bytes, then 0xFF.
    void MotorolaRecord(const std::string& text, uint8_t r1, uint8_t r2, uint8_t r3);

    // Bytes finished so far; a partly filled byte is completed with '1' bits.
    std::vector<uint8_t> Take();
    // Whole bytes finished so far; a partly filled byte stays pending for the
    // bits that follow, as in a device that streams without pausing.
    std::vector<uint8_t> TakeWhole();
    std::size_t PendingBits() const { return BitCount; }

private:
    void Bit(int bit);
    void Align();

    std::vector<uint8_t> Bytes;
    uint8_t Current = 0;
    int BitCount = 0;
};

uint8_t XorOf(const std::vector<uint8_t>& bytes);
