#include "long_job.h"

#include <utility>

std::chrono::milliseconds TLongJob::ShowAfter{1000};
std::chrono::milliseconds TLongJob::EventsEvery{40};

TLongJob::TLongJob(TProgressHost* host, std::string text)
    : Host(host), Text(std::move(text)), Start(TClock::now()), LastEvents(Start) {}

TLongJob::~TLongJob() {
    if (Shown)
        Host->HideProgress();
}

void TLongJob::Step(std::size_t done, std::size_t total) {
    const TClock::time_point now = TClock::now();
    if (Host == nullptr || now - LastEvents < EventsEvery)
        return;
    LastEvents = now;
    if (now - Start >= ShowAfter) {
        Shown = true;
        Host->ShowProgress(Text, total == 0 ? 100 : static_cast<int>(100 * done / total));
    }
    Host->RunPendingEvents();
}
