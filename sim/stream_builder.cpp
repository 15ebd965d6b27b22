#include "stream_builder.h"

uint8_t XorOf(const std::vector<uint8_t>& bytes) {
    uint8_t x = 0;
    for (uint8_t b : bytes)
        x ^= b;
    return x;
}

void TStreamBuilder::Bit(int bit) {
    Current = static_cast<uint8_t>((Current << 1) | (bit & 1));
    if (++BitCount == 8) {
        Bytes.push_back(Current);
        Current = 0;
        BitCount = 0;
    }
}

void TStreamBuilder::Bits(const std::string& bitChars) {
    for (char c : bitChars) {
        if (c == '0' || c == '1')
            Bit(c - '0');
    }
}

void TStreamBuilder::Ones(int count) {
    for (int i = 0; i < count; ++i)
        Bit(1);
}

void TStreamBuilder::Packet(const std::vector<uint8_t>& bytes, int preamble) {
    Ones(preamble);
    for (uint8_t b : bytes) {
        Bit(0);
        for (int i = 7; i >= 0; --i)
            Bit((b >> i) & 1);
    }
    Bit(1);
}

void TStreamBuilder::DccPacket(const std::vector<uint8_t>& bytes, int preamble) {
    std::vector<uint8_t> withXor = bytes;
    withXor.push_back(XorOf(bytes));
    Packet(withXor, preamble);
}

void TStreamBuilder::Align() {
    while (BitCount != 0)
        Bit(1);
}

void TStreamBuilder::RawBytes(const std::vector<uint8_t>& bytes) {
    Align();
    Bytes.insert(Bytes.end(), bytes.begin(), bytes.end());
}

void TStreamBuilder::DeviceInfo(uint8_t version, uint8_t parameter, char modeLetter) {
    RawBytes({0xAA, 0xAA, 0xAA, version, parameter, static_cast<uint8_t>(modeLetter)});
}

void TStreamBuilder::MotorolaRecord(const std::string& text, uint8_t r1, uint8_t r2, uint8_t r3) {
    std::vector<uint8_t> record(text.begin(), text.end());
    record.insert(record.end(), {r1, r2, r3, 0xFF});
    RawBytes(record);
}

std::vector<uint8_t> TStreamBuilder::Take() {
    Align();
    std::vector<uint8_t> out;
    out.swap(Bytes);
    return out;
}

std::vector<uint8_t> TStreamBuilder::TakeWhole() {
    std::vector<uint8_t> out;
    out.swap(Bytes);
    return out;
}
