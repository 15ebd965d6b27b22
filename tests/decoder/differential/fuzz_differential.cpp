// libFuzzer target: the same input (fuzz_input.h) through today's decoder
// and through the plain reference; any difference in the lines, the check
// boxes, the version text or the state left behind is a finding, reported
// with the input's description and the first differing event.
#include "decoder_comparison.h"

#include <cstddef>
#include <cstdint>
#include <cstdio>
#include <cstdlib>

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, std::size_t size) {
    TFuzzInput input;
    if (!ReadFuzzInput(data, size, input))
        return 0;
    const std::string difference = CompareDecoders(input);
    if (!difference.empty()) {
        std::fprintf(stderr, "%s", difference.c_str());
        std::abort();
    }
    return 0;
}
