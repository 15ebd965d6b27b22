// The input layout of the decoder's fuzz targets, so that one corpus serves
// both: two bytes of switch bits (bit i is TSwitch i), one byte seeding the
// piece sizes, then the two filter texts (a length byte, taken modulo 12, and
// the text each), then the stream. The seeds in tests/decoder/fuzz-seeds
// carry streams made by fennox-sim.
#pragma once

#include <cstddef>
#include <cstdint>
#include <string>

struct TFuzzInput {
    unsigned Switches = 0;
    unsigned PieceSeed = 0;
    std::string MinText;
    std::string MaxText;
    const uint8_t* Stream = nullptr;
    std::size_t StreamSize = 0;

    bool SwitchOn(int i) const { return (Switches >> i) & 1; }
};

namespace fuzz_input_detail {

inline std::string TakeText(const uint8_t*& data, std::size_t& size) {
    if (size == 0)
        return std::string();
    std::size_t len = data[0] % 12;
    ++data;
    --size;
    if (len > size)
        len = size;
    std::string text(reinterpret_cast<const char*>(data), len);
    data += len;
    size -= len;
    return text;
}

} // namespace fuzz_input_detail

// False when the input is too short to hold the header's first three bytes.
inline bool ReadFuzzInput(const uint8_t* data, std::size_t size, TFuzzInput& input) {
    if (size < 3)
        return false;
    input.Switches = data[0] | (data[1] << 8);
    input.PieceSeed = data[2];
    data += 3;
    size -= 3;
    input.MinText = fuzz_input_detail::TakeText(data, size);
    input.MaxText = fuzz_input_detail::TakeText(data, size);
    input.Stream = data;
    input.StreamSize = size;
    return true;
}

// The pieces the stream is received in, as ticks would read it: 1 to 400
// bytes each, drawn from the piece seed.
class TFuzzPieces {
public:
    explicit TFuzzPieces(unsigned seed) : State(seed) {}

    // The next piece's size, at most left.
    std::size_t Next(std::size_t left) {
        State = State * 1103515245u + 12345u;
        const std::size_t n = 1 + (State >> 16) % 400;
        return n < left ? n : left;
    }
    // Whether reception is started anew before the piece just drawn: one
    // piece in sixteen, from bits the size does not use.
    bool RestartBefore() const { return ((State >> 12) & 15) == 0; }

private:
    unsigned State;
};
