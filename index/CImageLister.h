#pragma once

#include "index/StringList.h"

#include <cstdint>
#include <string>
#include <string_view>

// One index run: collects the directory's image names, sorts them and hands them to the page
// writer.
class CImageLister {
public:
    StringList Files;
    std::string Directory;        // drive path; a trailing '\' is dropped by Run
    std::string FileName;         // output file name, passed on unchanged
    std::int32_t ImageHeight = 0; // 0 keeps the original size
    std::int32_t ImageWidth = 0;

    void Run();
    // Appends the names of the directory's entries matching one mask ("*.GIF"), whatever
    // their attributes, in the order the search delivers them.
    void AddMatches(std::string_view mask);
};
