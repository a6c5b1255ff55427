#pragma once
// Splitting a linker name of the older framework's form into unit and name:
// "@Ellistbox@TCustomElListBox@SetTopIndex$qqri" gives the unit "Ellistbox"
// and the name "TCustomElListBox.SetTopIndex". A name that does not begin
// with "@" is kept as it is, without unit ("::" written as ".").
#include <string>

struct TUnmangledName {
  std::string Unit;
  std::string Name;
};

TUnmangledName UnmangleName(const std::string& linkerName);
