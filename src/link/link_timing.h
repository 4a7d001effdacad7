// Every time constant of the link in one place. The defaults are the product's values; tests
// construct a link with a faster profile.
#pragma once

#include <cstdint>

struct LinkTiming {
    // Front ends: after OpenPort, wait for the Ready status this often, this many times.
    uint32_t connectPollMs = 500;
    uint32_t connectPollCount = 25;

    // Polling thread: the first detection this long after open, then the timer period, and the
    // quiet time after the last activity before a poll.
    uint32_t firstPollMs = 0;
    uint32_t pollPeriodMs = 600;
    uint32_t pollIdleMs = 200;

    // Detection probes: per-attempt reply wait, and the time-outs their callers pass.
    uint32_t probeReplyMs = 400;
    uint32_t warmProbeMs = 100;  // the one probe at 115200 that goes first when the link opens
    uint32_t probeCallMs = 10000;
    uint32_t rateSwitchCallMs = 5000;
    uint32_t basicInfoCallMs = 1000;
    uint32_t modemWaitMs = 5000;
    uint32_t modemReplyMs = 400;      // raw reads end this long after the last byte
    uint32_t modemSettleMs = 1000;    // after a data phone has switched to diagnostic mode

    // Command machinery.
    uint32_t readConstantMs = 30000;  // a framed read waits this long for its first byte
    uint32_t senderSlackMs = 10000;   // a sender waits its time-out plus this much
    uint32_t singleAttemptMs = 6000;  // requests with a reply time-out this long are sent once
    uint32_t writeTimeoutMs = 10000;  // a write that cannot finish in this time has failed
    uint32_t hangUpBackoffMs = 250;   // the reader's pause after the other end hung up
    uint32_t closeWaitMs = 50000;     // last-resort bound on stopping the threads

    // Mode changes: request time-out, wait period, and periods to wait for offline and reset.
    uint32_t modeChangeCallMs = 2000;
    uint32_t modeWaitPeriodMs = 500;
    uint32_t offlineWaitPeriods = 30;
    uint32_t resetWaitPeriods = 60;
};
