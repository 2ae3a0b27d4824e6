#pragma once

#include "index/StringList.h"

#include <cstdint>
#include <string>

namespace platform {
class OutputFile;
}

// Writes the picture page for a sorted list of image names into the searched directory and
// offers to open it.
class CHTMLOutput {
public:
    CHTMLOutput();

    const StringList* Files = nullptr; // borrowed from the run
    std::string Directory;             // drive path without a trailing '\'
    std::string FileName;              // as typed; may hold a relative path
    std::int32_t ImageHeight = 0;      // 0 with ImageWidth 0: images keep their own size
    std::int32_t ImageWidth = 0;
    std::int32_t ImageCount = 0;
    std::string LineBreak;

    void WriteIndex(const StringList& files);

    // Blocks of page text, every line ended by LineBreak.
    std::string BuildHeader() const;
    std::string BuildTable() const;
    std::string BuildFooter() const;

private:
    // Header, table and footer, each followed by one more line break, handed to the file in
    // large pieces so that a big directory never needs the whole page in memory.
    int writePage(platform::OutputFile& file) const;
    std::string imageTail() const;
};
