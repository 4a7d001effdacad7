// What a front end shows while a session command blocks: the window puts up its wait window, a
// table test may record the texts, the console shows nothing. The shower returns a holder; the
// wait ends when the last copy of it goes.
#pragma once

#include <functional>
#include <memory>

#include "report/app_messages.h"

enum class SessionWait {
    plain,     // the text alone
    cancel,    // the text and a way to stop the operation
    transfer,  // the text, the transfer's progress and a way to stop it
};

using WaitShower = std::function<std::shared_ptr<void>(AppMessage text, SessionWait kind)>;
