// Where a seam of system calls keeps the calls in use: the real ones unless
// a test has installed others. Each platform's TSysCalls has one.
#pragma once

template <typename TCalls> class TCallsSlot {
public:
    static TCalls& Current() { return *Installed(); }

    // Installs calls (nullptr: the real ones again) and returns the previous ones.
    static TCalls* Install(TCalls* calls) {
        TCalls*& installed = Installed();
        TCalls* previous = installed;
        installed = calls ? calls : &Real();
        return previous;
    }

private:
    static TCalls& Real() {
        static TCalls real;
        return real;
    }
    static TCalls*& Installed() {
        static TCalls* installed = &Real();
        return installed;
    }
};
