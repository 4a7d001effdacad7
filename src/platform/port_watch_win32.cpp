// The COM port list on Windows: the serial ports the drivers have registered, read twice a
// second (nothing tells a console program of a new one without a window to receive it).
#include "platform/port_watch.h"

#include <algorithm>
#include <thread>

#include "platform/present_ports.h"

struct CPortWatch::CState {};

CPortWatch::CPortWatch(const std::string&) : state(std::make_unique<CState>()) {}

CPortWatch::~CPortWatch() = default;

bool CPortWatch::Valid() const { return true; }

std::vector<std::string> CPortWatch::Present() const { return ListPresentSerialPorts(); }

void CPortWatch::WaitForChange(std::chrono::milliseconds timeout)
{
    std::this_thread::sleep_for(std::min(timeout, std::chrono::milliseconds(500)));
}
