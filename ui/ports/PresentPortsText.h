// The line that shows the ports present, as markup for a SysLink control: each port is a link
// whose id is its number, so a click on it tells which port to select.
#pragma once

#include <string>
#include <vector>

#include "ui/ports/PresentPorts.h"

// "可用：" then the ports in the order given, "COMn" (a link) and the device's name after a space
// when there is one, separated by ", "; "可用：无" when there are none. Names are the system's
// text, shown as they are: characters that the control would read as markup ('<', '>') or as
// layout (controls such as line breaks) are replaced by look-alikes and blanks.
std::wstring PresentPortsMarkup(const std::vector<PresentPort>& ports);

// The port number that the id of a link of that text names, from 1 to nHighest; 0 otherwise.
int LinkedPortNumber(const wchar_t* pszLinkId, int nHighest);
