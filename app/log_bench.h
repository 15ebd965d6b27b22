// The log view benchmark without its toolkit: fills a shown log view with
// Monitor log lines as the receive loop does, and prints what each line
// costs and how long painting, re-wrapping, saving and copying take. Each
// front end's fennox-bench-log-view is a small main that implements
// TLogBenchHost and calls RunLogBench. A program to run by hand, not a test.
#pragma once

#include "log_model.h"

#include <cstddef>

// What only the toolkit can do for the benchmark.
class TLogBenchHost {
public:
    // Shows a log view of model, width x height pixels.
    virtual void Show(TLogModel& model, int width, int height) = 0;
    // One turn of the event loop: whatever is pending is painted.
    virtual void Pump() = 0;
    // Paints the whole view now.
    virtual void PaintNow() = 0;
    // Gives the view a new size and lets it re-wrap.
    virtual void Resize(int width, int height) = 0;
    // Copies the model's selection to the clipboard; empties the clipboard.
    virtual void Copy() = 0;
    virtual void ForgetClipboard() = 0;
    // Memory the process holds: resident (Linux) or committed (Windows).
    virtual std::size_t MemoryBytes() = 0;

protected:
    ~TLogBenchHost() = default;
};

// Command line: [--lines N] [--text FILE] [--compare PROGRAM]: N lines
// (default 1,000,000) generated, or taken from FILE in turn (Monitor log
// lines as fennox-decode writes them); PROGRAM is another build's benchmark,
// run on the same lines, whose figures are printed beside. Prints the
// figures, returns the exit status.
int RunLogBench(int argc, char** argv, TLogBenchHost& host);
