// How the replies of one command family are tied to their requests beyond the command code,
// which the link checks itself. The layer that builds a family's requests supplies the rule;
// each request carries it to the link, which asks it about every packet that could be the reply.
// The link keeps one instance per family while it is open (CDiagPort::ReplyMatcherFor), so a rule
// may learn from the replies it has seen since the link opened. Both calls come from the receive
// thread only, one at a time.
#pragma once

#include <cstdint>
#include <memory>
#include <span>

class CReplyMatcher {
public:
    virtual ~CReplyMatcher() = default;
    // Whether packet, which carries request's command code, can be the reply to request.
    virtual bool Fits(std::span<const uint8_t> request, std::span<const uint8_t> packet) = 0;
    // packet has been laid against an attempt of request as its reply.
    virtual void Taken(std::span<const uint8_t> request, std::span<const uint8_t> packet) = 0;
};

using ReplyMatcherPtr = std::shared_ptr<CReplyMatcher>;
