// The ports of a several-port command: "PORT,PORT,..." split into ports with the labels that
// name them on screen and in folder names. "SIM" may repeat (each is its own virtual handset);
// any other port named twice, under whatever spelling of the same device, is refused before
// anything is opened.
#pragma once

#include <string>
#include <vector>

struct CFleetPort {
    std::string name;   // as the user typed it, for opening and for a retry command
    std::string label;  // unique in the run: the name's last path part, numbered when repeated
    std::string shown;  // on screen: the name, or the label when the name repeats (SIM,SIM)
};

struct CPortList {
    std::vector<CFleetPort> ports;
    std::string refusal;  // why the list is refused; empty when it is usable
};

CPortList ParsePortList(const std::string& text);

// A label for a port that appears on its own (a watched folder's link, a new COM port).
std::string PortLabel(const std::string& name);
