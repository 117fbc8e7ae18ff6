// Portable builds carry no module resources and have no shell to open a page with, so Help
// writes and opens nothing there; the click still flips its parameter.

#include "ReverbHelp.h"

void ReverbHelp::WriteAndOpen()
{
}
