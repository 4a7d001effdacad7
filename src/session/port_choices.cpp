#include "session/port_choices.h"

#include <algorithm>

#include "platform/port_names.h"

std::vector<std::string> PortChoicesWith(std::vector<std::string> present)
{
    std::vector<std::string> choices = {"", "COM1", "COM2", "COM3", "COM4",
                                        virtualHandsetPortName};
    for (std::string& port : present) {
        const auto offered = [&port](const std::string& choice) { return SamePortName(choice, port); };
        if (std::none_of(choices.begin(), choices.end(), offered))
            choices.push_back(std::move(port));
    }
    return choices;
}

std::vector<std::string> PortDialogChoices(const CPresentPortSources& sources)
{
    return PortChoicesWith(ListPresentSerialPorts(sources));
}
