// Today's decoder against the plain reference (reference/, the decoder as it
// was before the speed work) on the same input: the same bytes in the same
// pieces, the same switches, filter texts and fixed clock. Used by the
// differential fuzz target and by a test that replays the seeds and
// generated streams.
#pragma once

#include "fuzz_input.h"

#include <string>
#include <vector>

// What a decoder did with an input, in order: every line appended to either
// log, every checked, visible and enabled state and version text it set,
// each new start of reception (ResetAssembler) the pieces call for; at the
// end the entries held back by the collection step and the decoder's state.
std::vector<std::string> FastDecoderEvents(const TFuzzInput& input);
std::vector<std::string> ReferenceDecoderEvents(const TFuzzInput& input);

// The first difference of two event lists as readable text, with the events
// before it; empty when they are the same.
std::string FirstDifference(const std::vector<std::string>& fast,
                            const std::vector<std::string>& reference);

// The input as a person reads it: switches on, filter texts, piece seed,
// stream length.
std::string DescribeFuzzInput(const TFuzzInput& input);

// Empty when both decoders do the same with the input; otherwise the input's
// description and the first difference.
std::string CompareDecoders(const TFuzzInput& input);
