#pragma once
// Bus frames of the scenario-controller commands: the enable and disable
// commands of a scenario and the project's panic button. Two frame families:
//   simple   (TypeCMD 1) "*15*<button>*<address>[#4#<interface>]##"
//   extended (TypeCMD 2) "*25*22#<button>*2<address>##"
#include <string>
#include <string_view>

#include "model/commands.h"

namespace tessed::compiler {

// The frame the controller listens for; empty for TypeCMD 0 and for any value
// other than 1 and 2.
std::string BuildCommandFrame(const CommandRecord& record);

// Reads a frame back into `command`. Fills exactly the fields that
// BuildCommandFrame writes for the frame's family and sets TypeCMD (1 or 2);
// every other field is 0. An empty text gives the empty record (TypeCMD 0) and
// true. A text that is not a frame this system writes gives the empty record
// and false. Surrounding blanks and line ends are ignored.
bool ParseCommandFrame(std::string_view text, CommandRecord& command);

// The record as its frame carries it: the fields BuildCommandFrame does not
// write for the record's family are cleared (the extended fields of a simple
// command, the interface of a simple command without level 4, ...). A record
// whose values lie in the bus ranges (A 0-10, PL 0-99, button, interface and
// extended values not negative) satisfies
// Parse(Build(r)) == FrameContent(r).
CommandRecord FrameContent(const CommandRecord& record);

}  // namespace tessed::compiler
