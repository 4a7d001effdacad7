// Windows has no pseudo-terminals: the virtual handset is reached through an in-process line.
#include "platform/pty_master.h"

std::unique_ptr<CPtyMaster> CPtyMaster::Open(std::string& error)
{
    error = "no pseudo-terminals on this system";
    return nullptr;
}

CPtyMaster::CPtyMaster(int master, int slave, std::string path)
    : masterFd(master), slaveFd(slave), slavePath(std::move(path))
{
}

CPtyMaster::~CPtyMaster() = default;

PtyTransfer CPtyMaster::Read(uint8_t*, size_t) { return {0, true}; }
PtyTransfer CPtyMaster::Write(const uint8_t*, size_t) { return {0, true}; }
PtyWaitResult CPtyMaster::Wait(PtyWatch, uint32_t) { return PtyWaitResult::failed; }
void CPtyMaster::Wake() { wake.Set(); }
uint32_t CPtyMaster::SlaveBaud() const { return 0; }
