#pragma once
// The reverb's user help: four small web files stored in the module, written into the user's
// local application-data folder at every click on Help (so that a damaged or edited copy is
// repaired by the next click), then the first page opened with the system's handler for web
// pages. Runs on the editor's window thread; the only messages it shows are its own.

#include <cstdint>

class ReverbHelp
{
public:
    struct Page
    {
        int32_t resourceId;   // of type "BIN"
        const char* fileName;
    };
    static constexpr int32_t kPageCount = 4;
    // In the order they are written; the first is the one opened.
    static constexpr Page kPages[kPageCount] = {
        {200, "1.htm"},
        {201, "2.htm"},
        {202, "3.htm"},
        {203, "style.css"},
    };

    // Each page is written under this name in the help folder first and then renamed over the
    // old copy, so that a write that fails part way never leaves half a page where a whole one
    // was.
    static constexpr const char* kPartialName = "~page.tmp";

    // Writes the pages and opens the first. Where no module resources or shell exist (the
    // portable build), it does nothing.
    static void WriteAndOpen();
};
