// Switches reporting off for the lifetime of the object, then back to what it was: a silent
// clean-up inside an operation that itself runs silently must not switch reporting on for its
// caller.
#pragma once

#include "report/reporter.h"

class CReportingOff {
public:
    CReportingOff() : was_(ReportEnabled) { ReportEnabled = false; }
    ~CReportingOff() { ReportEnabled = was_; }
    CReportingOff(const CReportingOff&) = delete;
    CReportingOff& operator=(const CReportingOff&) = delete;

private:
    bool was_;
};
