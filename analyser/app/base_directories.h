#pragma once
// The XDG Base Directory Specification (0.8, "Environment variables") holds
// a relative path in $XDG_CONFIG_HOME and its kin invalid, to be ignored; Qt
// passes it through, which would put the remembered settings in whatever
// folder the program was started from. Called before Qt reads them.
namespace vellarin {

void ignoreRelativeBaseDirectories();

}  // namespace vellarin
